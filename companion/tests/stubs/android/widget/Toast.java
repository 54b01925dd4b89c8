package android.widget;

import android.content.Context;
import tarvell.harness.Api;

@Api(1)
public class Toast {
    public final CharSequence text;

    private Toast(CharSequence text) {
        this.text = text;
    }

    @Api(1)
    public static Toast makeText(Context context, CharSequence text, int duration) {
        return new Toast(text);
    }

    @Api(1)
    public void show() {
        System.err.println("toast: " + text);
    }
}
