package android.graphics;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.OutputStream;
import javax.imageio.ImageIO;
import tarvell.harness.Api;

@Api(1)
public final class Bitmap {
    @Api(1)
    public enum CompressFormat {
        @Api(1) JPEG,
        @Api(1) PNG
    }

    @Api(1)
    public enum Config {
        @Api(1) ALPHA_8,
        @Api(1) RGB_565,
        @Api(1) ARGB_8888
    }

    private BufferedImage image;

    /** JPEG drops the alpha channel on a phone; the harness keeps RGB pictures so that ImageIO can write them. */
    @Api(1)
    public static Bitmap createBitmap(int width, int height, Config config) {
        if (width <= 0 || height <= 0) throw new IllegalArgumentException("width and height must be > 0");
        return new Bitmap(new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB));
    }

    @Api(1)
    public void eraseColor(int color) {
        for (int y = 0; y < image.getHeight(); y++)
            for (int x = 0; x < image.getWidth(); x++) image.setRGB(x, y, color);
    }

    public Bitmap(BufferedImage image) {
        this.image = image;
    }

    @Api(1)
    public boolean compress(CompressFormat format, int quality, OutputStream stream) {
        if (image == null) throw new IllegalStateException("compress on a recycled bitmap");
        try {
            return ImageIO.write(image, format == CompressFormat.JPEG ? "jpg" : "png", stream);
        } catch (IOException e) {
            return false;
        }
    }

    @Api(1)
    public void recycle() {
        image = null;
    }
}
