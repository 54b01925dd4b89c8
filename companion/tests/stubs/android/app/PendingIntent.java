package android.app;

import android.content.IntentSender;
import android.os.Parcelable;
import tarvell.harness.Api;

/** An action the phone performs for the app once something (here the owner) lets it. */
@Api(1)
public final class PendingIntent implements Parcelable {
    private final IntentSender sender;

    public PendingIntent(Runnable action) {
        sender = new IntentSender(action);
    }

    @Api(4)
    public IntentSender getIntentSender() {
        return sender;
    }
}
