package tarvell.harness;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.StandardCopyOption;
import java.time.Instant;
import java.time.LocalDateTime;
import java.time.ZoneId;
import java.time.format.DateTimeFormatter;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.function.Consumer;

/** The simulated phone folder the stubs' providers read and write. */
public final class Phone {
    private static Phone current;

    private final File dir;

    public Phone(File dir) {
        this.dir = dir;
    }

    public static Phone current() {
        return current;
    }

    public static void use(Phone phone) {
        current = phone;
    }

    public File dir() {
        return dir;
    }

    public File sdcard() {
        return new File(dir, "sdcard");
    }

    private static String read(File f) {
        try {
            return Files.readString(f.toPath(), StandardCharsets.UTF_8);
        } catch (IOException e) {
            return null;
        }
    }

    private static void writeAtomically(File f, String text) {
        try {
            File tmp = new File(f.getPath() + ".companion.tmp");
            Files.writeString(tmp.toPath(), text, StandardCharsets.UTF_8);
            Files.move(tmp.toPath(), f.toPath(), StandardCopyOption.REPLACE_EXISTING,
                    StandardCopyOption.ATOMIC_MOVE);
        } catch (IOException e) {
            throw new IllegalStateException("cannot write " + f + ": " + e.getMessage(), e);
        }
    }

    @SuppressWarnings("unchecked")
    public synchronized Map<String, Object> config() {
        String text = read(new File(dir, "phone.json"));
        if (text == null) return new LinkedHashMap<>();
        return (Map<String, Object>) Json.parse(text);
    }

    public synchronized void updateConfig(Consumer<Map<String, Object>> change) {
        Map<String, Object> c = config();
        change.accept(c);
        writeAtomically(new File(dir, "phone.json"), Json.write(c));
    }

    public String configText(String key) {
        Object v = config().get(key);
        return v instanceof String s ? s : "";
    }

    public long storage(String key) {
        Object st = config().get("storage");
        if (st instanceof Map<?, ?> m && m.get(key) instanceof Json.Num n) return n.asLong();
        return 0;
    }

    @SuppressWarnings("unchecked")
    public long fault(String key) {
        Object f = config().get("faults");
        if (f instanceof Map<?, ?> m && m.get(key) instanceof Json.Num n) return n.asLong();
        return 0;
    }

    /** The API level of the phone's Android release ("4.4.2" gives 19). */
    public int sdk() {
        Object props = config().get("properties");
        String release = props instanceof Map<?, ?> m && m.get("ro.build.version.release") instanceof String s
                ? s : "4.4";
        String[] p = release.split("\\.");
        int major = 4, minor = 4;
        try {
            major = Integer.parseInt(p[0]);
            minor = p.length > 1 ? Integer.parseInt(p[1]) : 0;
        } catch (NumberFormatException e) {
            // keep 4.4
        }
        int[] byMajor = {0, 1, 5, 11, 14, 21, 23, 24, 26, 28, 29, 30, 31, 33, 34, 35};
        if (major == 4) return minor >= 4 ? 19 : minor >= 1 ? 16 : 14;
        if (major == 5 && minor >= 1) return 22;
        if (major == 7 && minor >= 1) return 25;
        if (major == 8 && minor >= 1) return 27;
        if (major == 12 && minor >= 1) return 32;
        return major < byMajor.length ? byMajor[major] : 35;
    }

    // Record files: {"next_id": n, "items": [{"id": n, "key": "text", ...}, ...]}.

    public static final class Records {
        public long nextId = 1;
        public final List<Map<String, Object>> items = new ArrayList<>();

        public static long idOf(Map<String, Object> r) {
            return r.get("id") instanceof Json.Num n ? n.asLong() : 0;
        }

        public Map<String, Object> add(Map<String, Object> fields) {
            Map<String, Object> r = new LinkedHashMap<>();
            r.put("id", new Json.Num(Long.toString(nextId++)));
            r.putAll(fields);
            items.add(r);
            return r;
        }

        public Map<String, Object> find(long id) {
            for (Map<String, Object> r : items)
                if (idOf(r) == id) return r;
            return null;
        }
    }

    @SuppressWarnings("unchecked")
    public synchronized Records records(String file) {
        Records r = new Records();
        String text = read(new File(dir, file));
        if (text == null) return r;
        Map<String, Object> m = (Map<String, Object>) Json.parse(text);
        if (m.get("next_id") instanceof Json.Num n) r.nextId = n.asLong();
        if (m.get("items") instanceof List<?> l)
            for (Object o : l) r.items.add((Map<String, Object>) o);
        return r;
    }

    public synchronized void save(String file, Records r) {
        Map<String, Object> m = new LinkedHashMap<>();
        m.put("next_id", new Json.Num(Long.toString(r.nextId)));
        m.put("items", r.items);
        writeAtomically(new File(dir, file), Json.write(m));
    }

    private static final DateTimeFormatter LOCAL = DateTimeFormatter.ofPattern("yyyy-MM-dd HH:mm:ss");

    /** The phone keeps local date text; providers hand out milliseconds. */
    public static Long millisOf(Object text) {
        if (!(text instanceof String s)) return null;
        try {
            return LocalDateTime.parse(s, LOCAL).atZone(ZoneId.systemDefault()).toInstant().toEpochMilli();
        } catch (RuntimeException e) {
            return null;
        }
    }

    public static String textOf(long millis) {
        return LocalDateTime.ofInstant(Instant.ofEpochMilli(millis), ZoneId.systemDefault()).format(LOCAL);
    }
}
