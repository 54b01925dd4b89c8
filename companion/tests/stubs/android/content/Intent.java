package android.content;

import java.util.HashMap;
import java.util.Map;
import tarvell.harness.Api;

@Api(1)
public class Intent {
    public final String action;
    public final Class<?> component;
    private final Map<String, Object> extras = new HashMap<>();
    public int flags;

    @Api(1)
    public Intent(String action) {
        this.action = action;
        this.component = null;
    }

    @Api(1)
    public Intent(Context packageContext, Class<?> cls) {
        this.action = null;
        this.component = cls;
    }

    @Api(1)
    public Intent putExtra(String name, String value) {
        extras.put(name, value);
        return this;
    }

    public Intent putIntExtra(String name, int value) {
        extras.put(name, value);
        return this;
    }

    private ComponentName componentName;

    public Intent setComponentName(String className) {
        componentName = new ComponentName(className);
        return this;
    }

    @Api(1)
    public ComponentName getComponent() {
        return componentName;
    }

    @Api(1)
    public String getAction() {
        return action;
    }

    public Intent putObjectExtra(String name, Object value) {
        extras.put(name, value);
        return this;
    }

    public Object getObjectExtra(String name) {
        return extras.get(name);
    }

    @Api(1)
    public String getStringExtra(String name) {
        return extras.get(name) instanceof String s ? s : null;
    }

    @Api(1)
    public int getIntExtra(String name, int defaultValue) {
        return extras.get(name) instanceof Integer i ? i : defaultValue;
    }

    @Api(1)
    public Intent putExtra(String name, android.os.Parcelable value) {
        extras.put(name, value);
        return this;
    }

    @Api(1)
    @SuppressWarnings("unchecked")
    public <T extends android.os.Parcelable> T getParcelableExtra(String name) {
        return extras.get(name) instanceof android.os.Parcelable p ? (T) p : null;
    }

    @Api(1)
    public Intent addFlags(int f) {
        flags |= f;
        return this;
    }
}
