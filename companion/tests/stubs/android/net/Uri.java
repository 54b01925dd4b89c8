package android.net;

import tarvell.harness.Api;

/** A content address: content://authority/path?query. */
@Api(1)
public final class Uri {
    private final String text;

    private Uri(String text) {
        this.text = text;
    }

    @Api(1)
    public static Uri parse(String s) {
        return new Uri(s);
    }

    public String authorityAndPath() {
        String s = text.startsWith("content://") ? text.substring(10) : text;
        int q = s.indexOf('?');
        return q < 0 ? s : s.substring(0, q);
    }

    @Override
    public String toString() {
        return text;
    }
}
