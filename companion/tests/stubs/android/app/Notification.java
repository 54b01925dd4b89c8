package android.app;

import android.content.Context;
import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(1)
public class Notification {
    public final String channel;
    public final CharSequence title;
    public final CharSequence text;
    public final int icon;
    public final boolean ongoing;

    Notification(Builder b) {
        channel = b.channel;
        title = b.title;
        text = b.text;
        icon = b.icon;
        ongoing = b.ongoing;
    }

    @Api(11)
    public static class Builder {
        private String channel;
        private CharSequence title;
        private CharSequence text;
        private int icon;
        private boolean ongoing;

        @Api(11)
        public Builder(Context context) {}

        @Api(26)
        public Builder(Context context, String channelId) {
            Os.requireSdk(26, "Notification.Builder with a channel");
            channel = channelId;
        }

        @Api(11)
        public Builder setContentTitle(CharSequence t) {
            title = t;
            return this;
        }

        @Api(11)
        public Builder setContentText(CharSequence t) {
            text = t;
            return this;
        }

        @Api(11)
        public Builder setSmallIcon(int i) {
            icon = i;
            return this;
        }

        @Api(11)
        public Builder setOngoing(boolean o) {
            ongoing = o;
            return this;
        }

        @Api(16)
        public Notification build() {
            if (icon == 0) throw new IllegalArgumentException("a notification needs a small icon");
            if (Os.sdk() >= 26 && channel == null) throw new IllegalArgumentException("no channel on Android 8+");
            return new Notification(this);
        }
    }
}
