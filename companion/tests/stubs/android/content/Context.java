package android.content;

import tarvell.harness.Api;

@Api(1)
public abstract class Context {
    @Api(1) public abstract ContentResolver getContentResolver();
    @Api(1) public abstract String getPackageName();
    @Api(1) public abstract android.content.pm.PackageManager getPackageManager();
    @Api(1) public abstract Object getSystemService(String name);
    @Api(1) public abstract Intent registerReceiver(BroadcastReceiver receiver, IntentFilter filter);
    @Api(1) public abstract void startActivity(Intent intent);
    @Api(1) public abstract ComponentName startService(Intent service);
    @Api(26) public abstract ComponentName startForegroundService(Intent service);
}
