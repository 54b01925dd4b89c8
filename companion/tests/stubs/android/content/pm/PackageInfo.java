package android.content.pm;

import tarvell.harness.Api;

@Api(1)
public class PackageInfo {
    @Api(1)
    public String packageName;
    @Api(1)
    public String versionName;
    @Api(1)
    public int versionCode;
    @Api(9)
    public long firstInstallTime;
    @Api(9)
    public long lastUpdateTime;
    @Api(1)
    public String[] requestedPermissions;
    @Api(1)
    public ApplicationInfo applicationInfo;
    public String launchActivity;
}
