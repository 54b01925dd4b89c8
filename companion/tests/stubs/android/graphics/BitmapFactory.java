package android.graphics;

import tarvell.harness.Api;

@Api(1)
public class BitmapFactory {
    @Api(1)
    public static class Options {}
}
