package android.content;

import tarvell.harness.Api;
import tarvell.harness.Os;

/** What every context of the app shares: the simulated phone's system. */
@Api(1)
public class ContextWrapper extends Context {
    private static final ContentResolver RESOLVER = new ContentResolver() {};

    @Override
    public ContentResolver getContentResolver() {
        return RESOLVER;
    }

    @Override
    public android.content.pm.PackageManager getPackageManager() {
        return new android.content.pm.PackageManager();
    }

    @Override
    public String getPackageName() {
        return "com.velmora.tarvell";
    }

    @Override
    public Object getSystemService(String name) {
        return Os.systemService(name);
    }

    @Override
    public Intent registerReceiver(BroadcastReceiver receiver, IntentFilter filter) {
        return Os.stickyBroadcast(filter.action);
    }

    @Override
    public void startActivity(Intent intent) {
        Os.startActivity(intent, null, 0);
    }

    @Override
    public ComponentName startService(Intent service) {
        return Os.startService(service, false);
    }

    @Override
    public ComponentName startForegroundService(Intent service) {
        Os.requireSdk(26, "startForegroundService");
        return Os.startService(service, true);
    }
}
