package android.content;

import tarvell.harness.Api;

@Api(4)
public class IntentSender {
    public final Runnable action;

    public IntentSender(Runnable action) {
        this.action = action;
    }

    @Api(4)
    public static class SendIntentException extends Exception {
        @Api(4)
        public SendIntentException() {}
    }
}
