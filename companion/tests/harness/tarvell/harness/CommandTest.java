package tarvell.harness;

import android.app.Activity;
import android.app.Service;
import android.content.Intent;
import android.os.Build;
import java.io.ByteArrayOutputStream;
import java.io.DataInputStream;
import java.io.EOFException;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;

/**
 * The companion's commands over its socket, on copies of a simulated phone
 * folder at several Android releases, checked against the folder's files.
 *
 *   CommandTest PHONE_DIR APP_JAR WORK_DIR
 */
public final class CommandTest {
    private static int failures;
    private static String context = "";

    private static void check(boolean ok, String what) {
        if (!ok) {
            failures++;
            System.out.println("FAIL [" + context + "] " + what);
        }
    }

    private static void equal(Object want, Object got, String what) {
        check(want == null ? got == null : want.equals(got), what + ": want <" + want + "> got <" + got + ">");
    }

    // The wire: command, optional payload; answer = LE32 length + body.

    static final class Client implements AutoCloseable {
        final Socket s;
        final DataInputStream in;
        final OutputStream out;

        Client(int port) throws IOException {
            s = new Socket("127.0.0.1", port);
            s.setSoTimeout(20000);
            in = new DataInputStream(s.getInputStream());
            out = s.getOutputStream();
        }

        byte[] ask(String command, byte[] payload) throws IOException {
            out.write(command.getBytes(StandardCharsets.ISO_8859_1));
            if (payload != null) out.write(payload);
            out.flush();
            byte[] len = new byte[4];
            in.readFully(len);
            int n = (len[0] & 0xff) | (len[1] & 0xff) << 8 | (len[2] & 0xff) << 16 | (len[3] & 0xff) << 24;
            byte[] body = new byte[Math.max(n, 0)];
            in.readFully(body);
            return body;
        }

        byte[] ask(String command) throws IOException {
            return ask(command, null);
        }

        String text(String command) throws IOException {
            return new String(ask(command), StandardCharsets.UTF_8);
        }

        long number(String command) throws IOException {
            byte[] b = ask(command);
            if (b.length != 4 && b.length != 8) return Long.MIN_VALUE;
            long v = 0;
            for (int i = b.length - 1; i >= 0; i--) v = v << 8 | (b[i] & 0xff);
            return b.length == 4 ? (int) v : v;
        }

        public void close() throws IOException {
            s.close();
        }
    }

    static String hex(String s) {
        StringBuilder b = new StringBuilder();
        for (byte x : s.getBytes(StandardCharsets.UTF_8)) b.append(String.format("%02X", x & 0xff));
        return b.toString();
    }

    static String unhex(String h) {
        byte[] b = new byte[h.length() / 2];
        for (int i = 0; i < b.length; i++) b[i] = (byte) Integer.parseInt(h.substring(2 * i, 2 * i + 2), 16);
        return new String(b, StandardCharsets.UTF_8);
    }

    /** "TAG:HEX;...;." records into maps of tag to text. */
    static List<Map<String, String>> records(String page) {
        List<Map<String, String>> out = new ArrayList<>();
        Map<String, String> r = new LinkedHashMap<>();
        int i = 0;
        while (i < page.length()) {
            if (page.charAt(i) == '.') {
                out.add(r);
                r = new LinkedHashMap<>();
                i++;
                continue;
            }
            int colon = page.indexOf(':', i);
            int semi = page.indexOf(';', colon);
            r.put(page.substring(i, colon), unhex(page.substring(colon + 1, semi)));
            i = semi + 1;
        }
        check(r.isEmpty(), "page ends inside a record");
        return out;
    }

    /** Every record of a paged store, read as the computer does (offsets step by 5). */
    static List<Map<String, String>> allPages(Client c, String count, String page) throws IOException {
        long n = c.number(count);
        List<Map<String, String>> all = new ArrayList<>();
        for (int off = 0; off < n; off += 5) {
            List<Map<String, String>> p = records(c.text(page + ":" + off + ";"));
            check(p.size() == Math.min(5, n - off), page + " at " + off + " holds " + p.size() + " records");
            all.addAll(p);
        }
        return all;
    }

    /** A store's records against its file: each tag is the field of the same lower-case name. */
    static void sameRecords(List<Map<String, String>> got, Phone.Records file, String idTag, String what) {
        equal(file.items.size(), got.size(), what + " count");
        for (int i = 0; i < Math.min(got.size(), file.items.size()); i++) {
            Map<String, Object> want = file.items.get(i);
            Map<String, String> g = got.get(i);
            equal(Long.toString(Phone.Records.idOf(want)), g.get(idTag), what + " id of record " + i);
            for (Map.Entry<String, Object> e : want.entrySet()) {
                if (e.getKey().equals("id") || e.getKey().equals("group") || e.getKey().equals("last_name")) continue;
                equal(e.getValue(), g.get(e.getKey().toUpperCase()), what + " " + e.getKey() + " of record " + i);
            }
            equal(want.size() - 1 - (want.containsKey("group") ? 1 : 0) - (want.containsKey("last_name") ? 1 : 0),
                    g.size() - 1, what + " field count of record " + i);
        }
    }

    static void copyTree(Path from, Path to) throws IOException {
        try (Stream<Path> s = Files.walk(from)) {
            for (Path p : (Iterable<Path>) s::iterator) {
                Path t = to.resolve(from.relativize(p).toString());
                if (Files.isDirectory(p)) Files.createDirectories(t);
                else Files.copy(p, t, StandardCopyOption.REPLACE_EXISTING);
            }
        }
    }

    static Object field(Object o, String name) throws ReflectiveOperationException {
        java.lang.reflect.Field f = o.getClass().getDeclaredField(name);
        f.setAccessible(true);
        return f.get(o);
    }

    public static void main(String[] args) throws Exception {
        Path template = Path.of(args[0]);
        Main.loadAll(args[1]);
        Path work = Path.of(args[2]);
        System.setProperty("tarvell.companion.port", "0");
        Class<?> activityClass = Class.forName("com.velmora.tarvell.activity.ServiceActivity");
        for (int sdk : new int[] {19, 23, 29, 34}) {
            context = "API " + sdk;
            Path dir = work.resolve("api" + sdk);
            copyTree(template, dir);
            Phone phone = new Phone(dir.toFile());
            Phone.use(phone);
            Build.VERSION.SDK_INT = sdk;
            Os.requestedPermissions().clear();
            Os.startActivity(new Intent(null, activityClass), null, 0);
            Service service = Os.service();
            check(service != null, "the activity starts the service");
            if (service == null) continue;
            int port = 0;
            for (int i = 0; i < 500 && port == 0; i++) {
                Thread.sleep(10);
                port = (Integer) service.getClass().getMethod("boundPort").invoke(service);
            }
            check(port != 0, "the service listens");
            Activity a = Os.activities().get(Os.activities().size() - 1);
            check(a.finished, "the activity closes");
            check(Os.requestedPermissions().contains("android.permission.READ_SMS") == (sdk >= 23),
                    "runtime permissions asked from Android 6 on");
            check(service.foreground != null && service.foreground.ongoing
                    && service.foreground.text.toString().contains("computer"),
                    "an ongoing notification says the computer is connected");
            ServerSocket listener = (ServerSocket) field(field(service, "server"), "listener");
            check(listener.getInetAddress().isLoopbackAddress(), "the listener is on the loopback address only");
            try {
                run(phone, port);
            } finally {
                Os.stopService();
            }
            check(listener.isClosed(), "the listener closes with the service");
        }
        System.out.println(failures == 0 ? "all companion command checks passed" : failures + " checks failed");
        System.exit(failures == 0 ? 0 : 1);
    }

    @SuppressWarnings("unchecked")
    static void run(Phone phone, int port) throws Exception {
        Map<String, Object> cfg = phone.config();
        try (Client c = new Client(port)) {
            // Greeting, battery, storage.
            equal("HI-PC", c.text("hello-android;"), "greeting");
            equal(((Json.Num) cfg.get("battery")).asLong(), c.number("getBattery;"), "battery");
            String storage = c.text("GetandroidTempinfo;");
            for (String k : new String[] {"MEMTOTAL", "MEMAVAIL", "SDTOTAL", "SDAVAIL", "PHONETOTAL", "PHONEAVAIL"})
                check(storage.contains(k + ":" + phone.storage(k) + ";"), "storage reply has " + k + ": " + storage);

            // Paged stores against the files.
            sameRecords(allPages(c, "getsmsCount;", "getsmsPart10"), phone.records("sms.json"), "ID", "sms");
            sameRecords(allPages(c, "getcalllogcount;", "getcalllogpart10"), phone.records("calllog.json"), "ID",
                    "call log");
            Phone.Records contacts = phone.records("contacts.json");
            List<Map<String, String>> got = allPages(c, "getcontactCount;", "getcontactpart10");
            for (Map<String, String> r : got) {
                // Contact tags are the field names; NAME is "name".
                r.put("CONTACTID", r.get("CONTACTID"));
            }
            sameRecords(got, contacts, "CONTACTID", "contacts");

            // Apps: the installed ones of apps.json, one record each. One app
            // asks for many permissions: its list must stay within the
            // computer's 127 bytes, cut at a whole permission.
            Phone.Records appFile = phone.records("apps.json");
            Map<String, Object> big = new LinkedHashMap<>();
            big.put("pkg", "org.example.permissions.everything");
            big.put("appname", "Everything");
            big.put("systemapp", "0");
            StringBuilder perms = new StringBuilder();
            for (int i = 0; i < 12; i++) perms.append(i == 0 ? "" : ",").append("android.permission.PERMISSION_NUMBER_" + i);
            big.put("permissions", perms.toString());
            appFile.add(big);
            phone.save("apps.json", appFile);
            phone.updateConfig(c2 -> ((List<Object>) c2.get("packages")).add("org.example.permissions.everything"));
            cfg = phone.config();
            List<Object> installed = (List<Object>) cfg.get("packages");
            List<Map<String, Object>> apps = new ArrayList<>();
            for (Map<String, Object> r : phone.records("apps.json").items)
                if (installed.contains(r.get("pkg")) && !"1".equals(r.get("systemapp"))) apps.add(r);
            equal((long) apps.size(), c.number("flushapplist;"), "flushapplist answers the count");
            equal((long) apps.size(), c.number("getappcount;"), "getappcount");
            for (int i = 0; i < apps.size(); i++) {
                String text = c.text("getappindexinfo:" + i + ";");
                check(text.length() <= 1024, "app record fits the 1024-byte answer");
                Map<String, String> app = records(text + ".").get(0);
                if (big.get("pkg").equals(apps.get(i).get("pkg"))) {
                    String p = app.get("PERMISSIONS");
                    check(p.getBytes(StandardCharsets.UTF_8).length <= 127 && perms.toString().startsWith(p + ",")
                            && !p.isEmpty(), "a long permission list is cut at a whole permission: " + p);
                    continue;
                }
                for (String k : new String[] {"pkg", "cls", "appname", "version", "versioncode", "systemapp",
                        "sdcardapp", "installtime", "lastupdatetime", "permissions"})
                    equal(apps.get(i).get(k), app.get(k.toUpperCase()), "app " + i + " " + k);
            }
            equal(0, c.ask("getappindexinfo:" + apps.size() + ";").length, "app past the end");

            media(phone, c);
            uploads(phone, c);

            // Bad requests get an empty answer and the connection goes on.

            long sms = c.number("getsmsCount;");
            String[][] empty = {
                {"getsmsPart10:" + sms + ";", "page past the end"},
                {"getsmsPart10:-5;", "negative offset"},
                {"getsmsPart10:x;", "offset that is no number"},
                {"getsmsPart10;", "page without an offset"},
                {"noSuchCommand;", "unknown command"},
                {";", "empty name"},
            };
            for (String[] e : empty) equal(0, c.ask(e[0]).length, e[1]);
            equal("HI-PC", c.text("hello-android;"), "greeting after bad requests");
        }

        // A client that goes mid-payload or sends no command: the service keeps serving.
        try (Client c = new Client(port)) {
            c.out.write("write_photofile:100;0123456789".getBytes(StandardCharsets.ISO_8859_1));
            c.out.flush();
        }
        try (Client c = new Client(port)) {
            c.out.write("write_photofile:99999999999;".getBytes(StandardCharsets.ISO_8859_1));
            c.out.flush();
            check(c.in.read() == -1, "a write command with an oversized count ends the connection");
        }
        try (Client c = new Client(port)) {
            byte[] junk = new byte[(1 << 20) + 16];
            java.util.Arrays.fill(junk, (byte) 'A');
            try {
                c.out.write(junk);
                c.out.flush();
                check(c.in.read() == -1, "a command without ';' in 1 MiB ends the connection");
            } catch (IOException closed) {
                // the service closed while we were still sending
            }
        }
        // A connection that ends in the middle of an upload leaves no file.
        try (Client c = new Client(port)) {
            c.number("open_photofile:" + hex("dropped.jpg") + ";");
            c.ask("write_photofile:2;", new byte[] {9, 9});
        }
        try (Client c = new Client(port)) {
            equal(-1L, c.number("write_photofile:1;" + "x"), "a write after the connection that opened the upload ended");
            equal(List.of(), hidden(new File(phone.sdcard(), Build.VERSION.SDK_INT >= 29 ? "Pictures" : "Images")),
                    "a connection that ends drops its upload");
            equal(0, pendingRows(phone), "a connection that ends drops its pending row");
            equal(0L, c.number("addphototodevice:" + hex("dropped.jpg") + ";"), "announcing a dropped upload finds no file");
            check(!new File(phone.sdcard(), "Images/dropped.jpg").exists()
                    && !new File(phone.sdcard(), "Pictures/dropped.jpg").exists(), "a dropped upload never becomes visible");
        }
        try (Client c = new Client(port)) {
            equal("HI-PC", c.text("hello-android;"), "greeting after dropped connections");
            writes(phone, c);
        }

        // An AddPerson repeated as the first command of the next connection is
        // the computer's retry of an answer it lost: the same contact. Repeated
        // on the same connection, or after other commands, it is a new one.
        Object[][] retries = {
            {"Retry Ada", "", true},
            {"Retry Bob", "hello-android;", false},
        };
        for (Object[] r : retries) {
            String add = "AddPerson:" + hex((String) r[0]) + ":" + hex("555-0142") + ";";
            long first, again, twin;
            try (Client c = new Client(port)) {
                first = c.number(add);
                if (!((String) r[1]).isEmpty()) c.ask((String) r[1]);
            }
            try (Client c = new Client(port)) {
                again = c.number(add);
                twin = c.number(add);
            }
            check(first > 0, "AddPerson " + r[0] + " answers an id");
            equal(r[2], first == again, "AddPerson " + r[0] + " on the next connection answers the first id");
            check(twin != again && twin > 0, "AddPerson " + r[0] + " twice on one connection adds a second contact");
            long stored = phone.records("contacts.json").items.stream().filter(m -> r[0].equals(m.get("name"))).count();
            equal((Boolean) r[2] ? 2L : 3L, stored, "contacts named " + r[0]);
        }
    }

    /** Lists, records, paths and chunks of the three media kinds against media.json and the files. */
    static void media(Phone phone, Client c) throws IOException {
        String[][] names = {
            {"flushphotolist;", "getdcimcount;", "getdcimindexinfo", "getfilepathForid", "getdcimdata"},
            {"flushmusiclist;", "getmusiccount;", "getmusicindexinfo", "GetMusicPathById", "exportfilefromdevice_music"},
            {"flushvideolist;", "getvideocount;", "getvideoindexinfo", "GetVideoPathById", "exportfilefromdevice_video"},
        };
        for (int kind = 0; kind < 3; kind++) {
            String[] n = names[kind];
            List<Map<String, Object>> want = new ArrayList<>();
            for (Map<String, Object> m : phone.records("media.json").items)
                if (Providers.kindOfName((String) m.get("path")) == kind
                        && new File(phone.sdcard(), (String) m.get("path")).isFile()) want.add(m);
            equal((long) want.size(), c.number(n[0]), n[0] + " answers the count");
            equal((long) want.size(), c.number(n[1]), n[1]);
            check(!want.isEmpty(), "the generated phone has media of kind " + kind);
            if (kind == 1 && !want.isEmpty()) {
                // Album art of the first song's album, as the album art table holds it.
                File art = new File(phone.dir(), "albumart/" + ((Json.Num) want.get(0).get("album_id")).text() + ".jpg");
                art.getParentFile().mkdirs();
                javax.imageio.ImageIO.write(new java.awt.image.BufferedImage(10, 7, java.awt.image.BufferedImage.TYPE_INT_RGB),
                        "jpg", art);
            }
            for (int i = 0; i < want.size(); i++) {
                Map<String, Object> m = want.get(i);
                File f = new File(phone.sdcard(), (String) m.get("path"));
                Map<String, String> r = records(c.text(n[2] + ":" + i + ";") + ".").get(0);
                long id = Phone.Records.idOf(m);
                equal(Long.toString(id), r.get("ID"), n[2] + " " + i + " id");
                equal(m.get("title"), r.get("TILTE"), n[2] + " " + i + " title");
                equal(f.getPath(), r.get("PATH"), n[2] + " " + i + " path");
                equal(Long.toString(f.length()), r.get("SIZE"), n[2] + " " + i + " size");
                equal(Long.toString(f.lastModified() / 1000), r.get("MODIFTIME"), n[2] + " " + i + " modified");
                equal(((Json.Num) m.get("created")).text(), r.get("CREATETIME"), n[2] + " " + i + " created");
                if (kind != 0)
                    equal(((Json.Num) m.get("duration")).text(), r.get("DURATION"), n[2] + " " + i + " duration in seconds");
                if (kind == 1) {
                    equal(m.get("album"), r.get("ALBUM"), "album");
                    equal(m.get("artist"), r.get("ARTIST"), "artist");
                    equal(((Json.Num) m.get("album_id")).text(), r.get("ALBUMID"), "album id");
                }
                equal(f.getPath(), c.text(n[3] + ":" + id + ";"), n[3]);
                // Photos have a JPEG thumbnail; songs their album art, or a
                // plain 64x64 picture when the album has none.
                byte[] thumb = c.ask(new String[] {"getdcimthumb", "getmusicthumb", "getvideothumb"}[kind] + ":" + i
                        + (kind == 1 ? ":0;" : ";"));
                if (kind != 2)
                    check(thumb.length > 4 && (thumb[0] & 0xff) == 0xff && (thumb[1] & 0xff) == 0xd8,
                            "kind " + kind + " item " + i + " thumbnail is a JPEG");
                if (kind == 1) {
                    java.awt.image.BufferedImage img = javax.imageio.ImageIO.read(new java.io.ByteArrayInputStream(thumb));
                    boolean art = m.get("album_id").equals(want.get(0).get("album_id"))
                            && ((Json.Num) m.get("album_id")).asLong() > 0;
                    equal(art ? "10x7" : "64x64", img == null ? null : img.getWidth() + "x" + img.getHeight(),
                            "song " + i + " thumbnail size (album art or the plain picture)");
                }
                // The file in three chunks, then past its end.
                byte[] whole = Files.readAllBytes(f.toPath());
                ByteArrayOutputStream got = new ByteArrayOutputStream();
                int step = whole.length / 3 + 1;
                for (int off = 0; off < whole.length; off += step)
                    got.write(c.ask(n[4] + ":" + id + ":" + off + ":" + step + ";"));
                check(java.util.Arrays.equals(whole, got.toByteArray()), n[4] + " gives the file's bytes, item " + i);
                equal(0, c.ask(n[4] + ":" + id + ":" + whole.length + ":" + step + ";").length, n[4] + " past the end");
            }
            equal(0, c.ask(n[2] + ":" + want.size() + ";").length, n[2] + " past the end");
            if (kind == 0) equal(0, c.ask("getdcimthumb:" + want.size() + ";").length, "thumbnail past the end");
            equal(0, c.ask(n[4] + ":999999:0:10;").length, n[4] + " of an unknown id");
            equal(0, c.ask(n[4] + ":1:0:-5;").length, n[4] + " with a negative length");
        }
    }

    /** A file name as the computer sends it in plain text: its UTF-8 bytes. */
    static String plain(String name) {
        return new String(name.getBytes(StandardCharsets.UTF_8), StandardCharsets.ISO_8859_1);
    }

    static List<String> hidden(File folder) {
        List<String> out = new ArrayList<>();
        String[] names = folder.list();
        if (names != null)
            for (String n : names) if (n.startsWith(".")) out.add(n);
        return out;
    }

    /** Uploads, name checks, deletes and clearing of the three media kinds. */
    static void uploads(Phone phone, Client c) throws IOException {
        String[][] names = {
            {"open_photofile", "write_photofile", "close_photofile", "addphototodevice", "addphototodevice_abort",
                "checkFileisExist", "deletephoto", "ClearPhotos", "Images", "jpg", "flushphotolist;", "Pictures"},
            {"open_Musicfile", "write_musicfile", "close_Musicfile", "addmusictodevice", "addmusictodevice_abort",
                "checkMusicFileisExist", "deletemusic", "ClearMusic", "Music", "mp3", "flushmusiclist;", "Music"},
            {"open_videofile", "write_videofile", "close_videofile", "addvideotodevice", "addvideotodevice_abort",
                "checkVideoFileisExist", "deletevideofromdevice", "ClearVideos", "Videos", "mp4", "flushvideolist;", "Movies"},
        };
        for (int kind = 0; kind < 3; kind++) {
            String[] n = names[kind];
            context = context.replaceAll(" kind .*", "") + " kind " + kind;
            // From Android 10 the phone lets the app create items only in the
            // kind's own folders, through MediaStore.
            boolean store = Build.VERSION.SDK_INT >= 29;
            File folder = new File(phone.sdcard(), store ? n[11] : n[8]);
            String name = "Été " + kind + "." + n[9];
            File target = new File(folder, name);
            byte[] data = new byte[250000];
            for (int i = 0; i < data.length; i++) data[i] = (byte) (i * 31 + kind);
            long listed = c.number(n[10]);

            // Written hidden, visible and listed only once announced.
            equal(1L, c.number(n[0] + ":" + hex(name) + ";"), "open");
            for (int off = 0; off < data.length; off += 102400) {
                byte[] chunk = java.util.Arrays.copyOfRange(data, off, Math.min(data.length, off + 102400));
                equal((long) chunk.length, toLong(c.ask(n[1] + ":" + chunk.length + ";", chunk)), "write");
            }
            equal(1L, c.number(n[2] + ";"), "close");
            check(!target.exists(), "an upload is not visible before it is announced");
            equal(listed, c.number(n[10]), "an unannounced upload is not listed");
            equal(1L, c.number(n[3] + ":" + hex(name) + ";"), "announce");
            check(target.isFile() && java.util.Arrays.equals(data, Files.readAllBytes(target.toPath())),
                    "the announced file holds the uploaded bytes");
            equal(listed + 1, c.number(n[10]), "the announced file is listed");
            equal(1L, c.number(n[3] + ":" + hex(name) + ";"), "announcing again");
            equal(listed + 1, c.number(n[10]), "announcing again lists the file once");
            if (store) {
                // A new upload of the name replaces the app's own earlier item
                // rather than adding "name (1)" beside it.
                byte[] other = {5, 6, 7};
                equal(1L, upload(c, n, name, other), "announce a second upload of the name");
                check(java.util.Arrays.equals(other, Files.readAllBytes(target.toPath())), "the second upload replaces the first");
                equal(List.of(name), List.of(folder.list((d, f) -> f.startsWith("Été"))), "one item of the name");
                equal(listed + 1, c.number(n[10]), "a replaced item is listed once");
                equal(1L, upload(c, n, name, data), "announce the first bytes again");
            }
            equal(List.of(), hidden(folder), "no temporary file is left");

            // An abort and a new open leave nothing;
            // the file that already had the name stays as it was.
            equal(1L, c.number(n[0] + ":" + hex(name) + ";"), "open over an existing name");
            c.ask(n[1] + ":3;", new byte[] {1, 2, 3});
            equal(1L, c.number(n[2] + ";"), "close");
            equal(0L, c.number(n[4] + ":" + hex(name) + ";"), "abort");
            check(java.util.Arrays.equals(data, Files.readAllBytes(target.toPath())), "an abort keeps the earlier file");
            c.number(n[0] + ":" + hex("first." + n[9]) + ";");
            c.number(n[0] + ":" + hex("second." + n[9]) + ";");
            List<String> left = hidden(folder);
            check(left.size() == 1 && left.get(0).contains("second." + n[9]), "a new open drops the earlier upload: " + left);
            check(pendingRows(phone) == (store ? 1 : 0), "only the open upload has a pending row");
            equal(0L, c.number(n[4] + ":" + hex("second." + n[9]) + ";"), "abort the second upload");
            equal(List.of(), hidden(folder), "an abort leaves no temporary file");
            equal(0, pendingRows(phone), "an abort leaves no pending row");

            // Names are checked in plain text (UTF-8) and never leave the folder.
            equal(1L, c.number(n[5] + ":" + plain(name) + ";"), "check finds the file");
            equal(0L, c.number(n[5] + ":" + plain("missing." + n[9]) + ";"), "check of a missing file");
            for (String bad : new String[] {"../escape." + n[9], "a/b." + n[9], "..", ".", "", "a\\b"}) {
                equal(-1L, c.number(n[0] + ":" + hex(bad) + ";"), "open refuses <" + bad + ">");
                equal(-1L, c.number(n[3] + ":" + hex(bad) + ";"), "announce refuses <" + bad + ">");
                equal(0L, c.number(n[5] + ":" + plain(bad) + ";"), "check refuses <" + bad + ">");
            }
            equal(-1L, c.number(n[0] + ":ZZ;"), "open with a name that is no hex");
            equal(-1L, toLong(c.ask(n[1] + ":1;", new byte[] {7})), "write without an open upload");
            equal(0L, c.number(n[2] + ";"), "close without an open upload");
            check(!new File(phone.sdcard(), "escape." + n[9]).exists(), "nothing is written outside the folder");

            // Delete by list position, then clear the kind.
            long count = c.number(n[10]);
            equal(1L, c.number(n[6] + ":" + (count - 1) + ";"), "delete the announced file (last in the list)");
            check(!target.exists(), "delete removes the file");
            equal(count - 1, c.number(n[10]), "delete removes the item from the list");
            equal(0L, c.number(n[6] + ":" + count + ";"), "delete past the end");
            if (Build.VERSION.SDK_INT >= 30 && count > 1) {
                // Other apps' media go only with the owner's consent, asked once per clear.
                equal(0L, c.number(n[6] + ":0;"), "delete of another app's item is refused");
                equal(count - 1, c.number(n[10]), "a refused delete keeps the item");
                consent(phone, "refuse");
                int prompts = Os.prompts;
                equal(0L, c.number(n[7] + ";"), "clear refused by the owner");
                equal(prompts + 1, Os.prompts, "the owner is asked once for the whole kind");
                equal(count - 1, c.number(n[10]), "a refused clear keeps the items");
                consent(phone, "accept");
            }
            equal(count - 1, c.number(n[7] + ";"), "clear answers how many went");
            equal(0L, c.number(n[10]), "nothing of the kind is left");

            if (Build.VERSION.SDK_INT >= 30) {
                // Another app's item of the name stays; the upload keeps the name the phone gave it.
                File theirs = new File(folder, "theirs." + n[9]);
                Files.write(theirs.toPath(), new byte[] {1});
                android.media.MediaScannerConnection.scanFile(null, new String[] {theirs.getPath()}, null, null);
                equal(1L, upload(c, n, theirs.getName(), data), "announce over another app's item");
                check(Files.readAllBytes(theirs.toPath()).length == 1 && java.util.Arrays.equals(data,
                        Files.readAllBytes(new File(folder, "theirs (1)." + n[9]).toPath())),
                        "another app's item stays beside the upload");
                equal(2L, c.number(n[7] + ";"), "clear with consent takes both");
            }
        }
        context = context.replaceAll(" kind .*", "");
    }

    @SuppressWarnings("unchecked")
    static void consent(Phone phone, String answer) {
        phone.updateConfig(c -> ((Map<String, Object>) c.computeIfAbsent("faults", k -> new LinkedHashMap<String, Object>()))
                .put("media_delete_consent", answer));
    }

    /** A whole streamed upload; answers the announcement's reply. */
    static long upload(Client c, String[] n, String name, byte[] bytes) throws IOException {
        c.number(n[0] + ":" + hex(name) + ";");
        c.ask(n[1] + ":" + bytes.length + ";", bytes);
        c.number(n[2] + ";");
        return c.number(n[3] + ":" + hex(name) + ";");
    }

    static int pendingRows(Phone phone) {
        int n = 0;
        for (Map<String, Object> m : phone.records("media.json").items) if (m.containsKey("pending")) n++;
        return n;
    }

    static long toLong(byte[] b) {
        if (b.length != 4) return Long.MIN_VALUE;
        return (b[0] & 0xff) | (b[1] & 0xff) << 8 | (b[2] & 0xff) << 16 | (long) b[3] << 24;
    }

    static void writes(Phone phone, Client c) throws IOException {
        String before = phone.configText("default_sms_app");
        // Messages only while the companion is the default messaging app.
        String sms = "SendSMS:" + hex("+1 555 0100") + "-" + hex("Hello ✓") + "-" + hex("2021-03-04 05:06:07")
                + "-" + hex("1") + "-" + hex("-1") + "-" + hex("0") + ";";
        int smsBefore = phone.records("sms.json").items.size();
        equal(-1L, c.number(sms), "SendSMS refused while another app is the messaging app");
        equal(-1L, c.number("ClearSMS;"), "ClearSMS refused while another app is the messaging app");
        equal(smsBefore, phone.records("sms.json").items.size(), "refused commands leave the messages");
        equal(1L, c.number("SetDefaultMessage;"), "SetDefaultMessage");
        equal(Os.PACKAGE, c.text("GetDefaultMessage_pkgName;"), "the owner accepted the role");
        c.text("getsmsPart10:0;");
        long id = c.number(sms);
        check(id > 0, "SendSMS answers the new id, got " + id);
        // Pages after a write see it: the paging cursor is not kept across writes.
        check(records(c.text("getsmsPart10:" + smsBefore / 5 * 5 + ";")).stream()
                .anyMatch(r -> Long.toString(id).equals(r.get("ID"))), "a page read after SendSMS holds the new message");
        Map<String, Object> added = phone.records("sms.json").find(id);
        check(added != null, "the message is stored");
        if (added != null) {
            equal("+1 555 0100", added.get("address"), "message address");
            equal("Hello ✓", added.get("body"), "message body");
            equal("2021-03-04 05:06:07", added.get("date"), "message date");
            equal("2", added.get("type"), "direction 0 is a sent message");
            equal("1", added.get("read"), "message read flag");
        }
        // The computer retries a write whose answer it lost: stored once.
        equal(id, c.number(sms), "a retried SendSMS answers the stored message's id");
        equal(smsBefore + 1, phone.records("sms.json").items.size(), "a retried SendSMS is stored once");
        equal(-1L, c.number("SendSMS:" + hex("x") + "-ZZ-" + hex("1") + "-" + hex("1") + "-" + hex("-1") + "-"
                + hex("1") + ";"), "SendSMS with a field that is not hexadecimal");
        equal(-1L, c.number("SendSMS:" + hex("x") + ";"), "SendSMS with too few fields");
        // A message received while the app holds the role goes to the inbox, in one piece.
        try {
            Os.deliverSms("com.velmora.tarvell.SmsReceiver", "+1 555 0111", "first part, ", "second part");
        } catch (ReflectiveOperationException e) {
            check(false, "delivering a message: " + e);
        }
        List<Map<String, Object>> inbox = phone.records("sms.json").items;
        Map<String, Object> received = inbox.get(inbox.size() - 1);
        equal("first part, second part", received.get("body"), "received message body");
        equal("+1 555 0111", received.get("address"), "received message address");
        equal("1", received.get("type"), "received message is in the inbox");
        equal("0", received.get("read"), "received message is unread");
        equal((long) smsBefore + 2, c.number("ClearSMS;"), "ClearSMS answers the count");
        equal(0, phone.records("sms.json").items.size(), "ClearSMS empties the messages");
        equal(1L, c.number("ReSetDefaultMessage;"), "ReSetDefaultMessage");
        equal(before, c.text("GetDefaultMessage_pkgName;"), "the role went back");

        // Contacts: AddPerson answers 8 bytes, UpdatePerson adds fields.
        long person = c.number("AddPerson:" + hex("Ada Example") + ":" + hex("+44 20 7946 0000") + ";");
        check(person > 0, "AddPerson answers the id, got " + person);
        Map<String, Object> fresh = phone.records("contacts.json").find(person);
        equal("Ada Example", fresh == null ? null : fresh.get("name"), "contact name");
        Object[][] updates = {
            {"FIRSTNAME", "Augusta", "name", 1L},
            {"LASTNAME", "King", "last_name", 1L},
            {"GROUP", "Friends", "group", 1L},
            {"NOTE", "likes tea", "note", 1L},
            {"WORKEMAIL", "ada@example.com", "email_work", 1L},
            {"HOMEFAX", "+44 20 7946 0001", "phone_homefax", 1L},
            {"DEPARTMENT", "Engines", "org_title", 1L},
            {"NOSUCHKEY", "x", null, 0L},
        };
        for (Object[] u : updates)
            equal(u[3], c.number("UpdatePerson:" + person + ":" + hex((String) u[1]) + ":" + u[0] + ";"),
                    "UpdatePerson " + u[0]);
        equal(0L, c.number("UpdatePerson:" + person + ":ZZ:NOTE;"), "UpdatePerson with a value that is no hex");
        Map<String, Object> p = phone.records("contacts.json").find(person);
        check(p != null, "the contact is stored");
        if (p != null) {
            equal("+44 20 7946 0000", p.get("phone_phone"), "contact mobile");
            for (Object[] u : updates)
                if (u[2] != null) equal(u[1], p.get(u[2]), "contact " + u[2]);
        }
        // A second member of a group joins the same group.
        long grace = c.number("AddPerson:" + hex("Grace") + ":" + hex("555-0101") + ";");
        equal(1L, c.number("UpdatePerson:" + grace + ":" + hex("Friends") + ":GROUP;"), "UpdatePerson GROUP again");
        equal(1L, phone.records("groups.json").items.stream().filter(g -> "Friends".equals(g.get("title"))).count(),
                "one group of a title");
        equal("Friends", phone.records("contacts.json").find(grace).get("group"), "second member's group");
        int people = phone.records("contacts.json").items.size();
        equal((long) people, c.number("ClearPerson;"), "ClearPerson answers the count");
        equal(0L, c.number("getcontactCount;"), "no contacts left");

        // Call log: the date goes as seconds, the phone keeps the contact's name.
        c.number("AddPerson:" + hex("Bob") + ":" + hex("555-0199") + ";");
        equal(1L, c.number("AddCallHistory:" + hex("(555) 0199") + "-" + hex("1600000000") + "-" + hex("3") + "-"
                + hex("42") + ";"), "AddCallHistory");
        equal(1L, c.number("AddCallHistory:" + hex("555") + "--" + hex("1") + "-" + hex("0") + ";"),
                "AddCallHistory without a date");
        int callsBefore = phone.records("calllog.json").items.size();
        equal(1L, c.number("AddCallHistory:" + hex("(555) 0199") + "-" + hex("1600000000") + "-" + hex("3") + "-"
                + hex("42") + ";"), "a retried AddCallHistory");
        equal(callsBefore, phone.records("calllog.json").items.size(), "a retried AddCallHistory is stored once");
        List<Map<String, Object>> calls = phone.records("calllog.json").items;
        Map<String, Object> call = calls.get(calls.size() - 2);
        equal("Bob", call.get("name"), "call log name from the contacts");
        equal(Phone.textOf(1600000000000L), call.get("date"), "call log date");
        equal("42", call.get("duration"), "call duration");
        equal((long) calls.size(), c.number("ClearCallHistory;"), "ClearCallHistory answers the count");
        equal(0L, c.number("getcalllogcount;"), "no calls left");
    }
}
