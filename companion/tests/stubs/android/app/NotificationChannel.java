package android.app;

import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(26)
public final class NotificationChannel {
    public final String id;

    @Api(26)
    public NotificationChannel(String id, CharSequence name, int importance) {
        Os.requireSdk(26, "NotificationChannel");
        this.id = id;
    }
}
