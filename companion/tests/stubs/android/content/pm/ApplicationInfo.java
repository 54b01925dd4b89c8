package android.content.pm;

import tarvell.harness.Api;

@Api(1)
public class ApplicationInfo {
    @Api(1)
    public int flags;
    @Api(1)
    public String sourceDir;
    public String label;
}
