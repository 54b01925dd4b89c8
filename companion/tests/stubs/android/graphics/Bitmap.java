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

    private BufferedImage image;

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
