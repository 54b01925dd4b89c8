package tarvell.harness;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * The JSON of the simulated phone's files: objects keep their key order,
 * numbers stay as their text (64-bit sizes pass through unchanged).
 */
public final class Json {
    /** A number kept as written. */
    public record Num(String text) {
        public long asLong() {
            return (long) Double.parseDouble(text);
        }
    }

    private final String s;
    private int at;

    private Json(String s) {
        this.s = s;
    }

    public static Object parse(String text) {
        Json j = new Json(text);
        Object v = j.value();
        j.space();
        if (j.at != text.length()) throw j.error("text after the value");
        return v;
    }

    private IllegalArgumentException error(String what) {
        return new IllegalArgumentException("JSON: " + what + " at " + at);
    }

    private void space() {
        while (at < s.length() && Character.isWhitespace(s.charAt(at))) at++;
    }

    private Object value() {
        space();
        if (at >= s.length()) throw error("missing value");
        char c = s.charAt(at);
        if (c == '{') {
            Map<String, Object> m = new LinkedHashMap<>();
            at++;
            space();
            if (s.charAt(at) == '}') {
                at++;
                return m;
            }
            for (;;) {
                space();
                String k = string();
                space();
                if (s.charAt(at++) != ':') throw error("':' expected");
                m.put(k, value());
                space();
                char n = s.charAt(at++);
                if (n == '}') return m;
                if (n != ',') throw error("',' expected");
            }
        }
        if (c == '[') {
            List<Object> l = new ArrayList<>();
            at++;
            space();
            if (s.charAt(at) == ']') {
                at++;
                return l;
            }
            for (;;) {
                l.add(value());
                space();
                char n = s.charAt(at++);
                if (n == ']') return l;
                if (n != ',') throw error("',' expected");
            }
        }
        if (c == '"') return string();
        if (s.startsWith("true", at)) {
            at += 4;
            return Boolean.TRUE;
        }
        if (s.startsWith("false", at)) {
            at += 5;
            return Boolean.FALSE;
        }
        if (s.startsWith("null", at)) {
            at += 4;
            return null;
        }
        int start = at;
        while (at < s.length() && "+-0123456789.eE".indexOf(s.charAt(at)) >= 0) at++;
        if (start == at) throw error("unexpected character");
        return new Num(s.substring(start, at));
    }

    private String string() {
        if (s.charAt(at++) != '"') throw error("'\"' expected");
        StringBuilder b = new StringBuilder();
        for (;;) {
            char c = s.charAt(at++);
            if (c == '"') return b.toString();
            if (c != '\\') {
                b.append(c);
                continue;
            }
            char e = s.charAt(at++);
            switch (e) {
                case 'n' -> b.append('\n');
                case 't' -> b.append('\t');
                case 'r' -> b.append('\r');
                case 'b' -> b.append('\b');
                case 'f' -> b.append('\f');
                case 'u' -> {
                    b.append((char) Integer.parseInt(s.substring(at, at + 4), 16));
                    at += 4;
                }
                default -> b.append(e);
            }
        }
    }

    public static String write(Object v) {
        StringBuilder b = new StringBuilder();
        write(b, v, 0);
        b.append('\n');
        return b.toString();
    }

    private static void write(StringBuilder b, Object v, int depth) {
        if (v == null) {
            b.append("null");
        } else if (v instanceof String str) {
            quote(b, str);
        } else if (v instanceof Num n) {
            b.append(n.text());
        } else if (v instanceof Boolean || v instanceof Number) {
            b.append(v);
        } else if (v instanceof Map<?, ?> m) {
            b.append('{');
            boolean first = true;
            for (Map.Entry<?, ?> e : m.entrySet()) {
                if (!first) b.append(", ");
                first = false;
                quote(b, (String) e.getKey());
                b.append(": ");
                write(b, e.getValue(), depth + 1);
            }
            b.append('}');
        } else if (v instanceof List<?> l) {
            b.append('[');
            for (int i = 0; i < l.size(); i++) {
                b.append(i == 0 ? "" : ",").append(depth == 0 ? "\n  " : " ");
                write(b, l.get(i), depth + 1);
            }
            b.append(']');
        } else {
            throw new IllegalArgumentException("not JSON: " + v.getClass());
        }
    }

    private static void quote(StringBuilder b, String s) {
        b.append('"');
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            switch (c) {
                case '"' -> b.append("\\\"");
                case '\\' -> b.append("\\\\");
                case '\n' -> b.append("\\n");
                case '\r' -> b.append("\\r");
                case '\t' -> b.append("\\t");
                default -> {
                    if (c < 0x20) b.append(String.format("\\u%04x", (int) c));
                    else b.append(c);
                }
            }
        }
        b.append('"');
    }
}
