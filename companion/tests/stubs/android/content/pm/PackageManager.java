package android.content.pm;

import android.content.Intent;
import java.io.File;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import tarvell.harness.Api;
import tarvell.harness.Phone;

/** The installed packages of the simulated phone: apps.json, as far as phone.json lists them. */
@Api(1)
public class PackageManager {
    private static String text(Map<String, Object> r, String key) {
        return r.get(key) instanceof String s ? s : "";
    }

    private static long number(String s) {
        try {
            return Long.parseLong(s);
        } catch (NumberFormatException e) {
            return 0;
        }
    }

    private List<PackageInfo> packages() {
        Phone phone = Phone.current();
        Object installed = phone.config().get("packages");
        List<PackageInfo> out = new ArrayList<>();
        for (Map<String, Object> r : phone.records("apps.json").items) {
            String pkg = text(r, "pkg");
            if (!(installed instanceof List<?> l) || !l.contains(pkg)) continue;
            PackageInfo p = new PackageInfo();
            p.packageName = pkg;
            p.versionName = r.get("version") instanceof String s ? s : null;
            p.versionCode = (int) number(text(r, "versioncode"));
            p.firstInstallTime = number(text(r, "installtime")) * 1000;
            p.lastUpdateTime = number(text(r, "lastupdatetime")) * 1000;
            String perms = text(r, "permissions");
            p.requestedPermissions = perms.isEmpty() ? null : perms.split(",");
            p.applicationInfo = new ApplicationInfo();
            p.applicationInfo.flags = ("1".equals(r.get("systemapp")) ? 1 : 0)
                    | ("1".equals(r.get("sdcardapp")) ? 0x40000 : 0);
            p.applicationInfo.sourceDir = new File(phone.dir(), "data/app/" + pkg + "-1.apk").getPath();
            p.applicationInfo.label = r.get("appname") instanceof String s ? s : pkg;
            p.launchActivity = r.get("cls") instanceof String s ? s : null;
            out.add(p);
        }
        return out;
    }

    @Api(1)
    public List<PackageInfo> getInstalledPackages(int flags) {
        return packages();
    }

    @Api(3)
    public Intent getLaunchIntentForPackage(String packageName) {
        for (PackageInfo p : packages())
            if (p.packageName.equals(packageName) && p.launchActivity != null)
                return new Intent("android.intent.action.MAIN").setComponentName(p.launchActivity);
        return null;
    }

    @Api(1)
    public CharSequence getApplicationLabel(ApplicationInfo info) {
        return info.label;
    }
}
