package android.content;

import tarvell.harness.Api;

@Api(1)
public class IntentFilter {
    public final String action;

    @Api(1)
    public IntentFilter(String action) {
        this.action = action;
    }
}
