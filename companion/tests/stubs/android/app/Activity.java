package android.app;

import android.content.ContextWrapper;
import android.content.Intent;
import android.os.Bundle;
import tarvell.harness.Api;
import tarvell.harness.Os;

@Api(1)
public class Activity extends ContextWrapper {
    private Intent intent;
    public boolean finished;

    @Api(1)
    public Activity() {}

    /** The system's side: hands the intent and calls onCreate. */
    public void performCreate(Intent i) {
        intent = i;
        onCreate(null);
    }

    public void performActivityResult(int requestCode, int resultCode) {
        onActivityResult(requestCode, resultCode, null);
    }

    public void performPermissionsResult(int requestCode, String[] permissions, int[] results) {
        onRequestPermissionsResult(requestCode, permissions, results);
    }

    @Api(1)
    protected void onCreate(Bundle savedInstanceState) {}

    @Api(1)
    protected void onActivityResult(int requestCode, int resultCode, Intent data) {}

    @Api(23)
    public void onRequestPermissionsResult(int requestCode, String[] permissions, int[] grantResults) {}

    @Api(1)
    public Intent getIntent() {
        return intent;
    }

    @Api(1)
    public void finish() {
        finished = true;
    }

    @Api(23)
    public final void requestPermissions(String[] permissions, int requestCode) {
        Os.requireSdk(23, "requestPermissions");
        Os.requestPermissions(this, permissions, requestCode);
    }

    @Api(1)
    @Override
    public void startActivity(Intent i) {
        Os.startActivity(i, null, 0);
    }

    /** The harness's owner answers at once, as the phone folder's settings say. */
    @Api(5)
    public void startIntentSenderForResult(android.content.IntentSender sender, int requestCode, Intent fillInIntent,
            int flagsMask, int flagsValues, int extraFlags) throws android.content.IntentSender.SendIntentException {
        Os.sendIntent(sender, this, requestCode);
    }

    @Api(1)
    public void startActivityForResult(Intent i, int requestCode) {
        Os.startActivity(i, this, requestCode);
    }
}
