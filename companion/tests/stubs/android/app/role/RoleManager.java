package android.app.role;

import android.content.Intent;
import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(29)
public final class RoleManager {
    @Api(29)
    public Intent createRequestRoleIntent(String role) {
        Os.requireSdk(29, "RoleManager");
        return new Intent("android.app.role.action.REQUEST_ROLE").putExtra("android.app.extra.ROLE_NAME", role);
    }
}
