package android.content;

import tarvell.harness.Api;

@Api(1)
public class ActivityNotFoundException extends RuntimeException {
    public ActivityNotFoundException(String message) {
        super(message);
    }
}
