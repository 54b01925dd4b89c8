package tarvell.harness;

import android.app.Activity;
import android.app.ActivityManager;
import android.app.NotificationManager;
import android.app.Service;
import android.app.role.RoleManager;
import android.content.ActivityNotFoundException;
import android.content.ComponentName;
import android.content.Intent;
import android.os.Build;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

/**
 * The phone's system as the app meets it: starting activities and services,
 * system services, the messaging role, and the owner, who accepts what the
 * phone asks as the phone folder's settings say.
 */
public final class Os {
    public static final String PACKAGE = "com.velmora.tarvell";

    private static Service service;
    private static final List<Activity> activities = new ArrayList<>();
    private static final List<String> requested = new ArrayList<>();

    private Os() {}

    public static int sdk() {
        return Build.VERSION.SDK_INT;
    }

    /** A call the phone's release does not have fails as it would on the phone. */
    public static void requireSdk(int level, String what) {
        if (sdk() < level) throw new NoSuchMethodError(what + " needs API " + level + ", the phone has " + sdk());
    }

    public static Service service() {
        return service;
    }

    public static List<String> requestedPermissions() {
        return requested;
    }

    public static List<Activity> activities() {
        return activities;
    }

    public static Object systemService(String name) {
        switch (name) {
            case "activity":
                return new ActivityManager();
            case "notification":
                return new NotificationManager();
            case "role":
                return sdk() >= 29 ? new RoleManager() : null;
            default:
                return null;
        }
    }

    public static Intent stickyBroadcast(String action) {
        if (!"android.intent.action.BATTERY_CHANGED".equals(action)) return null;
        Intent i = new Intent(action);
        i.putIntExtra("level", (int) batteryOf(Phone.current().config()));
        i.putIntExtra("scale", 100);
        return i;
    }

    private static long batteryOf(Map<String, Object> config) {
        return config.get("battery") instanceof Json.Num n ? n.asLong() : -1;
    }

    public static void requestPermissions(Activity a, String[] permissions, int code) {
        for (String p : permissions) requested.add(p);
        int[] granted = new int[permissions.length];
        a.performPermissionsResult(code, permissions, granted);
    }

    public static void startActivity(Intent intent, Activity forResult, int requestCode) {
        if (intent.component != null) {
            if (forResult == null && (intent.flags & 0x10000000) == 0 && !(intent.component.getName().endsWith("ServiceActivity")))
                throw new IllegalStateException("starting an activity from outside one needs FLAG_ACTIVITY_NEW_TASK");
            Activity a;
            try {
                a = (Activity) intent.component.getDeclaredConstructor().newInstance();
            } catch (ReflectiveOperationException e) {
                throw new IllegalStateException("cannot create " + intent.component, e);
            }
            activities.add(a);
            a.performCreate(intent);
            return;
        }
        String action = intent.action == null ? "" : intent.action;
        switch (action) {
            case "android.app.role.action.REQUEST_ROLE" -> {
                if (forResult == null) throw new IllegalStateException("the role request needs an activity");
                askOwner();
                forResult.performActivityResult(requestCode, -1);
            }
            case "android.provider.Telephony.ACTION_CHANGE_DEFAULT" -> {
                if (sdk() >= 29) throw new ActivityNotFoundException("no ACTION_CHANGE_DEFAULT on Android 10+");
                String pkg = intent.getStringExtra("package");
                if (PACKAGE.equals(pkg)) askOwner();
                else if (pkg != null) setDefault(pkg);
            }
            case "android.settings.MANAGE_DEFAULT_APPS_SETTINGS" -> {
                // The owner gives the role back to the app that had it.
                Phone.current().updateConfig(c -> {
                    c.put("default_sms_requested_at", new Json.Num("0"));
                    if (PACKAGE.equals(c.get("default_sms_app"))) {
                        Object prev = c.get("previous_default_sms_app");
                        c.put("default_sms_app", prev instanceof String s && !s.isEmpty() ? s : "com.android.messaging");
                    }
                });
            }
            default -> throw new ActivityNotFoundException("no activity for " + action);
        }
    }

    /** Counts the consent prompts the phone showed. */
    public static int prompts;

    /**
     * The phone shows what a pending intent needs; the owner accepts unless
     * the phone folder's "media_delete_consent" fault is "refuse".
     */
    public static void sendIntent(android.content.IntentSender sender, Activity forResult, int requestCode) {
        prompts++;
        Map<String, Object> c = Phone.current().config();
        boolean refuse = c.get("faults") instanceof Map<?, ?> f && "refuse".equals(f.get("media_delete_consent"));
        if (!refuse) sender.action.run();
        forResult.performActivityResult(requestCode, refuse ? 0 : -1);
    }

    private static void setDefault(String pkg) {
        Phone.current().updateConfig(c -> {
            c.put("default_sms_requested_at", new Json.Num("0"));
            c.put("default_sms_app", pkg);
        });
    }

    /** The phone asks its owner to make the app the messaging app. */
    private static void askOwner() {
        Phone.current().updateConfig(c -> {
            if (PACKAGE.equals(c.get("default_sms_app"))) return;
            c.put("previous_default_sms_app", c.get("default_sms_app"));
            long after = acceptAfter(c);
            if (after == 0) {
                c.put("default_sms_app", PACKAGE);
                c.put("default_sms_requested_at", new Json.Num("0"));
            } else {
                c.put("default_sms_requested_at", new Json.Num(Long.toString(System.currentTimeMillis() / 1000)));
            }
        });
    }

    private static long acceptAfter(Map<String, Object> c) {
        return c.get("faults") instanceof Map<?, ?> f && f.get("default_sms_accept_after") instanceof Json.Num n
                ? n.asLong() : 0;
    }

    /** The current default messaging app; an owner who accepts late has accepted by now. */
    public static String defaultSmsApp() {
        Phone phone = Phone.current();
        Map<String, Object> c = phone.config();
        long at = c.get("default_sms_requested_at") instanceof Json.Num n ? n.asLong() : 0;
        long after = acceptAfter(c);
        if (at > 0 && after >= 0 && System.currentTimeMillis() / 1000 >= at + after) {
            setDefault(PACKAGE);
            return PACKAGE;
        }
        return c.get("default_sms_app") instanceof String s ? s : null;
    }

    /** The phone delivers a received message (its parts) to the default messaging app. */
    public static void deliverSms(String receiverClass, String address, String... parts) throws ReflectiveOperationException {
        android.telephony.SmsMessage[] pdus = new android.telephony.SmsMessage[parts.length];
        for (int i = 0; i < parts.length; i++) pdus[i] = new android.telephony.SmsMessage(address, parts[i]);
        android.content.BroadcastReceiver r = (android.content.BroadcastReceiver) Class.forName(receiverClass)
                .getDeclaredConstructor().newInstance();
        r.onReceive(service != null ? service : new android.content.ContextWrapper(),
                new Intent("android.provider.Telephony.SMS_DELIVER").putObjectExtra("pdus", pdus));
    }

    public static ComponentName startService(Intent intent, boolean foreground) {
        if (service == null) {
            try {
                service = (Service) intent.component.getDeclaredConstructor().newInstance();
            } catch (ReflectiveOperationException e) {
                throw new IllegalStateException("cannot create " + intent.component, e);
            }
            service.onCreate();
        }
        service.onStartCommand(intent, 0, 1);
        if (foreground && service.foreground == null)
            throw new IllegalStateException("a foreground service did not call startForeground");
        return new ComponentName(intent.component.getName());
    }

    public static void stopService() {
        if (service != null) service.onDestroy();
        service = null;
    }
}
