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

        @Api(19)
        public static final class Intents {
            /** The parts the harness put in the intent (on a phone: decoded from its PDUs). */
            @Api(19)
            public static android.telephony.SmsMessage[] getMessagesFromIntent(android.content.Intent intent) {
                Os.requireSdk(19, "getMessagesFromIntent");
                return (android.telephony.SmsMessage[]) intent.getObjectExtra("pdus");
            }
        }
    }
}
