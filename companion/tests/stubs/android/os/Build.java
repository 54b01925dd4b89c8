package android.os;

import tarvell.harness.Api;

@Api(1)
public class Build {
    @Api(4)
    public static class VERSION {
        /** Set by the harness from the simulated phone's release. */
        @Api(4)
        public static int SDK_INT = 19;
    }
}
