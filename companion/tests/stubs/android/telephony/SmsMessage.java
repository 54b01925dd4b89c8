package android.telephony;

import tarvell.harness.Api;

/** One received part of a message, as the harness delivers it. */
@Api(1)
public class SmsMessage {
    private final String address;
    private final String body;

    public SmsMessage(String address, String body) {
        this.address = address;
        this.body = body;
    }

    @Api(1)
    public String getMessageBody() {
        return body;
    }

    @Api(1)
    public String getDisplayOriginatingAddress() {
        return address;
    }
}
