package android.content;

import tarvell.harness.Api;

@Api(1)
public abstract class BroadcastReceiver {}
