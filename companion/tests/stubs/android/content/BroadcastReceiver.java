package android.content;

import tarvell.harness.Api;

@Api(1)
public abstract class BroadcastReceiver {
    @Api(1)
    public BroadcastReceiver() {}

    @Api(1)
    public abstract void onReceive(Context context, Intent intent);
}
