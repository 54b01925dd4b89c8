package android.os;

import tarvell.harness.Api;

@Api(1)
public interface Parcelable {}
