package android.os;

import tarvell.harness.Api;

@Api(16)
public final class CancellationSignal {
    @Api(16)
    public CancellationSignal() {}
}
