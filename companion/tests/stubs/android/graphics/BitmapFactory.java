package android.graphics;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.InputStream;
import javax.imageio.ImageIO;
import tarvell.harness.Api;

@Api(1)
public class BitmapFactory {
    @Api(1)
    public static class Options {}

    /** null when the bytes are no picture, as on a phone. */
    @Api(1)
    public static Bitmap decodeStream(InputStream is) {
        try {
            BufferedImage img = ImageIO.read(is);
            return img == null ? null : new Bitmap(img);
        } catch (IOException e) {
            return null;
        }
    }
}
