package android.app;

import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(1)
public class NotificationManager {
    @Api(26)
    public void createNotificationChannel(NotificationChannel channel) {
        Os.requireSdk(26, "createNotificationChannel");
    }
}
