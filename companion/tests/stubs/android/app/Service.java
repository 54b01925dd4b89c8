package android.app;

import android.content.ContextWrapper;
import android.content.Intent;
import android.os.IBinder;
import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(1)
public abstract class Service extends ContextWrapper {
    public Notification foreground;

    @Api(1)
    public Service() {}

    @Api(1)
    public void onCreate() {}

    @Api(5)
    public int onStartCommand(Intent intent, int flags, int startId) {
        return 1;
    }

    @Api(1)
    public void onDestroy() {}

    public boolean stopped;

    @Api(1)
    public final void stopSelf(int startId) {
        stopped = true;
    }

    @Api(1)
    public abstract IBinder onBind(Intent intent);

    @Api(5)
    public final void startForeground(int id, Notification notification) {
        if (id == 0) throw new IllegalArgumentException("foreground notification id 0");
        Os.requireSdk(0, "startForeground");
        if (Os.sdk() >= 34) throw new IllegalStateException("Android 14 needs the service type");
        foreground = notification;
    }

    @Api(29)
    public final void startForeground(int id, Notification notification, int type) {
        Os.requireSdk(29, "startForeground with a type");
        if (id == 0) throw new IllegalArgumentException("foreground notification id 0");
        if (type != 1) throw new IllegalArgumentException("the manifest declares dataSync (1), not " + type);
        foreground = notification;
    }
}
