package android.provider;

import android.content.Context;
import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(19)
public final class Telephony {
    @Api(19)
    public static final class Sms {
        @Api(19)
        public static String getDefaultSmsPackage(Context context) {
            Os.requireSdk(19, "getDefaultSmsPackage");
            return Os.defaultSmsApp();
        }
    }
}
