package android.content;

import android.database.Cursor;
import android.graphics.Bitmap;
import android.net.Uri;
import java.util.ArrayList;
import java.util.Map;
import tarvell.harness.Api;
import tarvell.harness.Providers;

@Api(1)
public abstract class ContentResolver {
    @Api(1)
    public final Cursor query(Uri uri, String[] projection, String selection, String[] selectionArgs,
            String sortOrder) {
        return Providers.query(uri, projection, selection, selectionArgs);
    }

    @Api(1)
    public final Uri insert(Uri uri, ContentValues values) {
        return Providers.insert(uri, values);
    }

    @Api(1)
    public final java.io.InputStream openInputStream(Uri uri) throws java.io.FileNotFoundException {
        return Providers.openInputStream(uri);
    }

    /** Media rows only: the file of a MediaStore item, for writing. */
    @Api(3)
    public final java.io.OutputStream openOutputStream(Uri uri, String mode) throws java.io.FileNotFoundException {
        return Providers.openOutputStream(uri, mode);
    }

    @Api(1)
    public final int update(Uri uri, ContentValues values, String where, String[] selectionArgs) {
        return Providers.update(uri, values, where, selectionArgs);
    }

    /** From Android 10: a song's thumbnail is its album art; IOException when it has none. */
    @Api(29)
    public Bitmap loadThumbnail(Uri uri, android.util.Size size, android.os.CancellationSignal signal)
            throws java.io.IOException {
        tarvell.harness.Os.requireSdk(29, "loadThumbnail");
        try (java.io.InputStream in = Providers.thumbnailStream(uri)) {
            Bitmap b = android.graphics.BitmapFactory.decodeStream(in);
            if (b == null) throw new java.io.IOException("no picture for " + uri);
            return b;
        }
    }

    @Api(1)
    public final int delete(Uri uri, String where, String[] selectionArgs) {
        return Providers.delete(uri, where);
    }

    /** Inserts in order; a back reference takes the id of an earlier result. */
    @Api(5)
    public ContentProviderResult[] applyBatch(String authority, ArrayList<ContentProviderOperation> operations) {
        ContentProviderResult[] results = new ContentProviderResult[operations.size()];
        for (int i = 0; i < operations.size(); i++) {
            ContentProviderOperation op = operations.get(i);
            if (!op.uri.authorityAndPath().startsWith(authority + "/"))
                throw new IllegalArgumentException(op.uri + " is not under " + authority);
            ContentValues v = new ContentValues();
            for (Map.Entry<String, Object> e : op.values.entrySet()) v.putObject(e.getKey(), e.getValue());
            for (Map.Entry<String, Integer> e : op.backReferences.entrySet())
                v.putObject(e.getKey(), ContentUris.parseId(results[e.getValue()].uri));
            results[i] = new ContentProviderResult(insert(op.uri, v));
        }
        return results;
    }
}
