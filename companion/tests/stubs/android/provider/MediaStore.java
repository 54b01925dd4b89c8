package android.provider;

import android.content.ContentResolver;
import android.graphics.Bitmap;
import android.graphics.BitmapFactory;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.util.Map;
import javax.imageio.ImageIO;
import tarvell.harness.Api;
import tarvell.harness.Phone;
import tarvell.harness.Providers;

/** Thumbnails of the simulated phone: its cached one, or one drawn from the item's id. */
@Api(1)
public final class MediaStore {
    static Bitmap thumbnail(long id, int kind) {
        Phone phone = Phone.current();
        Map<String, Object> m = phone.records("media.json").find(id);
        if (m == null || !(m.get("path") instanceof String rel) || Providers.kindOfName(rel) != kind)
            return null;
        File cached = new File(phone.sdcard(), "DCIM/.thumbnails/" + id + ".jpg");
        try {
            if (cached.isFile()) {
                BufferedImage img = ImageIO.read(cached);
                if (img != null) return new Bitmap(img);
            }
        } catch (IOException e) {
            // drawn below
        }
        BufferedImage img = new BufferedImage(96, 96, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < 96; y++)
            for (int x = 0; x < 96; x++) img.setRGB(x, y, (int) (id * 2654435761L) ^ (x << 16) ^ (y << 8));
        return new Bitmap(img);
    }

    /** The owner's consent to delete items of other apps; the phone deletes them when given. */
    @Api(30)
    public static android.app.PendingIntent createDeleteRequest(ContentResolver resolver,
            java.util.Collection<android.net.Uri> uris) {
        tarvell.harness.Os.requireSdk(30, "createDeleteRequest");
        if (uris.isEmpty()) throw new IllegalArgumentException("no items to delete");
        java.util.List<android.net.Uri> batch = java.util.List.copyOf(uris);
        return new android.app.PendingIntent(() -> {
            for (android.net.Uri u : batch) Providers.deleteAsOwner(u);
        });
    }

    @Api(1)
    public static final class Images {
        @Api(1)
        public static final class Thumbnails {
            @Api(5)
            public static Bitmap getThumbnail(ContentResolver cr, long origId, int kind, BitmapFactory.Options options) {
                if (kind != 1 && kind != 3) throw new IllegalArgumentException("thumbnail kind " + kind);
                return thumbnail(origId, 0);
            }
        }
    }

    @Api(1)
    public static final class Video {
        @Api(1)
        public static final class Thumbnails {
            @Api(5)
            public static Bitmap getThumbnail(ContentResolver cr, long origId, int kind, BitmapFactory.Options options) {
                if (kind != 1 && kind != 3) throw new IllegalArgumentException("thumbnail kind " + kind);
                return thumbnail(origId, 2);
            }
        }
    }
}
