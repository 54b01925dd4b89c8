package android.content;

import android.net.Uri;
import tarvell.harness.Api;

@Api(5)
public class ContentProviderResult {
    @Api(5)
    public final Uri uri;

    public ContentProviderResult(Uri uri) {
        this.uri = uri;
    }
}
