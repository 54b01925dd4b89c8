package android.content;

import android.net.Uri;
import tarvell.harness.Api;

@Api(1)
public class ContentUris {
    @Api(1)
    public static Uri withAppendedId(Uri contentUri, long id) {
        return Uri.parse(contentUri + "/" + id);
    }

    @Api(1)
    public static long parseId(Uri uri) {
        String s = uri.authorityAndPath();
        String last = s.substring(s.lastIndexOf('/') + 1);
        return last.isEmpty() ? -1 : Long.parseLong(last);
    }
}
