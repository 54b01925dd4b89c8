package android.content;

import java.util.LinkedHashMap;
import java.util.Map;
import tarvell.harness.Api;

@Api(1)
public final class ContentValues {
    private final Map<String, Object> values = new LinkedHashMap<>();

    @Api(1)
    public ContentValues() {}

    @Api(1)
    public void put(String key, String value) {
        values.put(key, value);
    }

    @Api(1)
    public void put(String key, Integer value) {
        values.put(key, value);
    }

    @Api(1)
    public void putNull(String key) {
        values.put(key, null);
    }

    public boolean containsKey(String key) {
        return values.containsKey(key);
    }

    public void putObject(String key, Object value) {
        values.put(key, value);
    }

    @Api(1)
    public String getAsString(String key) {
        Object v = values.get(key);
        return v == null ? null : v.toString();
    }
}
