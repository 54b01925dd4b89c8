package android.content;

import tarvell.harness.Api;

@Api(1)
public final class ComponentName {
    public final String className;

    public ComponentName(String className) {
        this.className = className;
    }

    @Api(1)
    public String getClassName() {
        return className;
    }
}
