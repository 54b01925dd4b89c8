package android.content;

import android.net.Uri;
import java.util.LinkedHashMap;
import java.util.Map;
import tarvell.harness.Api;

@Api(5)
public class ContentProviderOperation {
    final Uri uri;
    final Map<String, Object> values;
    final Map<String, Integer> backReferences;

    private ContentProviderOperation(Builder b) {
        uri = b.uri;
        values = b.values;
        backReferences = b.backReferences;
    }

    @Api(5)
    public static Builder newInsert(Uri uri) {
        return new Builder(uri);
    }

    @Api(5)
    public static class Builder {
        private final Uri uri;
        private final Map<String, Object> values = new LinkedHashMap<>();
        private final Map<String, Integer> backReferences = new LinkedHashMap<>();

        Builder(Uri uri) {
            this.uri = uri;
        }

        @Api(5)
        public Builder withValue(String key, Object value) {
            values.put(key, value);
            return this;
        }

        @Api(5)
        public Builder withValueBackReference(String key, int previousResult) {
            backReferences.put(key, previousResult);
            return this;
        }

        @Api(5)
        public ContentProviderOperation build() {
            return new ContentProviderOperation(this);
        }
    }
}
