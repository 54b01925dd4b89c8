package android.media;

import android.content.Context;
import android.net.Uri;
import tarvell.harness.Api;
import tarvell.harness.Providers;

/** The media scanner: a file it is given joins MediaStore at once (a phone does it shortly after). */
@Api(1)
public class MediaScannerConnection {
    @Api(8)
    public interface OnScanCompletedListener {
        @Api(8)
        void onScanCompleted(String path, Uri uri);
    }

    @Api(8)
    public static void scanFile(Context context, String[] paths, String[] mimeTypes,
            OnScanCompletedListener callback) {
        for (String p : paths) {
            Uri uri = Providers.scan(p);
            if (callback != null) callback.onScanCompleted(p, uri);
        }
    }
}
