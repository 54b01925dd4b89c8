package android.util;

import tarvell.harness.Api;

@Api(21)
public final class Size {
    private final int width;
    private final int height;

    @Api(21)
    public Size(int width, int height) {
        this.width = width;
        this.height = height;
    }

    @Api(21)
    public int getWidth() {
        return width;
    }

    @Api(21)
    public int getHeight() {
        return height;
    }
}
