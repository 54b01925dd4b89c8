package android.util;

import tarvell.harness.Api;

@Api(1)
public final class Log {
    @Api(1)
    public static int e(String tag, String msg, Throwable tr) {
        System.err.println("E/" + tag + ": " + msg + ": " + tr);
        return 0;
    }

    @Api(1)
    public static int w(String tag, String msg) {
        System.err.println("W/" + tag + ": " + msg);
        return 0;
    }

    @Api(1)
    public static int w(String tag, String msg, Throwable tr) {
        System.err.println("W/" + tag + ": " + msg + ": " + tr);
        return 0;
    }
}
