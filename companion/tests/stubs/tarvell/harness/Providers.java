package tarvell.harness;

import android.content.ContentValues;
import android.database.Cursor;
import android.net.Uri;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * The phone's content providers over the phone folder's record files, with
 * the tables and columns of the Android providers the companion uses.
 */
public final class Providers {
    private Providers() {}

    /** Contact fields of the phone folder as data rows: field, MIME type, data2, column. */
    static final String[][] CONTACT_DATA = {
        {"name", "vnd.android.cursor.item/name", null, "data1"},
        {"phone_phone", "vnd.android.cursor.item/phone_v2", "2", "data1"},
        {"phone_home", "vnd.android.cursor.item/phone_v2", "1", "data1"},
        {"phone_work", "vnd.android.cursor.item/phone_v2", "3", "data1"},
        {"phone_workfax", "vnd.android.cursor.item/phone_v2", "4", "data1"},
        {"phone_homefax", "vnd.android.cursor.item/phone_v2", "5", "data1"},
        {"email_home", "vnd.android.cursor.item/email_v2", "1", "data1"},
        {"email_work", "vnd.android.cursor.item/email_v2", "2", "data1"},
        {"note", "vnd.android.cursor.item/note", null, "data1"},
        {"website", "vnd.android.cursor.item/website", "1", "data1"},
        {"nickname", "vnd.android.cursor.item/nickname", null, "data1"},
        {"address_home", "vnd.android.cursor.item/postal-address_v2", "1", "data1"},
        {"address_work", "vnd.android.cursor.item/postal-address_v2", "2", "data1"},
        {"birthday", "vnd.android.cursor.item/contact_event", "3", "data1"},
        {"org_name", "vnd.android.cursor.item/organization", "1", "data1"},
        {"org_title", "vnd.android.cursor.item/organization", "1", "data4"},
    };

    private static String fileOf(Uri uri) {
        String p = uri.authorityAndPath();
        if (p.equals("sms") || p.equals("sms/inbox")) return "sms.json";
        if (p.equals("call_log/calls")) return "calllog.json";
        if (p.equals("com.android.contacts/groups")) return "groups.json";
        if (p.startsWith("com.android.contacts/")) return "contacts.json";
        throw new SecurityException("no provider for " + uri + " in the harness");
    }

    private static String table(Uri uri) {
        String p = uri.authorityAndPath();
        return p.startsWith("com.android.contacts/") ? p.substring(21) : p;
    }

    /** The media kind of a MediaStore table (0 photos, 1 music, 2 videos), -1 for others. */
    static int mediaKind(Uri uri) {
        switch (uri.authorityAndPath()) {
            case "media/external/images/media": return 0;
            case "media/external/audio/media": return 1;
            case "media/external/video/media": return 2;
            default: return -1;
        }
    }

    /** The kind of a file by its extension, as the phone's media scanner sorts it. */
    public static int kindOfName(String name) {
        int dot = name.lastIndexOf('.');
        String ext = dot <= 0 ? "" : name.substring(dot + 1).toLowerCase(java.util.Locale.ROOT);
        if (java.util.Set.of("jpg", "jpeg", "png", "gif", "bmp", "webp").contains(ext)) return 0;
        if (java.util.Set.of("mp3", "m4a", "aac", "ogg", "flac", "wav", "amr").contains(ext)) return 1;
        if (java.util.Set.of("mp4", "3gp", "mkv", "webm", "avi", "mov").contains(ext)) return 2;
        return -1;
    }

    /** MediaStore rows from the phone's media index (media.json) and its files. */
    static Cursor queryMedia(int kind, String[] projection, String selection, String[] args) {
        Phone phone = Phone.current();
        Long only = null;
        String[] named = null;
        if ("relative_path=? AND _display_name=?".equals(selection) && args != null && args.length == 2) {
            if (Os.sdk() < 29) throw new IllegalArgumentException("no column relative_path before Android 10");
            named = args;
        } else if (selection != null) {
            if (!"_id=?".equals(selection) || args == null || args.length != 1)
                throw new IllegalArgumentException("harness: media rows are asked by _id=? or by folder and name");
            only = Long.parseLong(args[0]);
        }
        List<Object[]> rows = new ArrayList<>();
        for (Map<String, Object> m : phone.records("media.json").items) {
            String rel = m.get("path") instanceof String s ? s : "";
            long id = Phone.Records.idOf(m);
            // Pending items are left out of queries, as the phone does by default.
            if (kindOfName(rel) != kind || (only != null && only != id) || m.containsKey("pending")) continue;
            java.io.File f = new java.io.File(phone.sdcard(), rel);
            if (!f.isFile()) continue;
            if (named != null && !(named[0].equals(rel.substring(0, rel.lastIndexOf('/') + 1))
                    && named[1].equals(f.getName())))
                continue;
            Map<String, Object> row = new LinkedHashMap<>();
            row.put("_id", Long.toString(id));
            row.put("_data", f.getPath());
            row.put("title", m.get("title"));
            row.put("_display_name", m.get("display_name") instanceof String s ? s : f.getName());
            row.put("_size", Long.toString(f.length()));
            row.put("date_modified", Long.toString(f.lastModified() / 1000));
            row.put("date_added", m.get("created") instanceof Json.Num n ? n.text() : "0");
            if (kind != 0) row.put("duration", Long.toString((m.get("duration") instanceof Json.Num n ? n.asLong() : 0) * 1000));
            if (kind == 1) {
                row.put("album_id", m.get("album_id") instanceof Json.Num n ? n.text() : "0");
                row.put("album", m.get("album"));
                row.put("artist", m.get("artist"));
            }
            rows.add(project(row, projection));
        }
        return new ListCursor(rows);
    }

    public static Cursor query(Uri uri, String[] projection, String selection, String[] args) {
        if (mediaKind(uri) >= 0) return queryMedia(mediaKind(uri), projection, selection, args);
        Phone phone = Phone.current();
        Phone.Records recs = phone.records(fileOf(uri));
        List<Map<String, Object>> items = new ArrayList<>(recs.items);
        items.sort((a, b) -> Long.compare(Phone.Records.idOf(a), Phone.Records.idOf(b)));
        List<Object[]> rows = new ArrayList<>();
        String t = table(uri);
        if (t.equals("data")) {
            if (!"contact_id=?".equals(selection) || args == null || args.length != 1)
                throw new IllegalArgumentException("data rows are asked by contact_id=?");
            Map<String, Object> c = recs.find(Long.parseLong(args[0]));
            if (c != null) {
                for (String[] d : CONTACT_DATA) {
                    Object v = c.get(d[0]);
                    if (!(v instanceof String)) continue;
                    Map<String, Object> row = new LinkedHashMap<>();
                    row.put("contact_id", Long.toString(Phone.Records.idOf(c)));
                    row.put("raw_contact_id", Long.toString(Phone.Records.idOf(c)));
                    row.put("mimetype", d[1]);
                    row.put("data2", d[2]);
                    row.put(d[3], v);
                    rows.add(project(row, projection));
                }
            }
            return new ListCursor(rows);
        }
        // Selections of the form "a=? AND b=?", compared as text.
        String[] where = selection == null ? new String[0] : selection.split(" AND ");
        for (int i = 0; i < where.length; i++) {
            if (!where[i].endsWith("=?") || args == null || args.length != where.length)
                throw new IllegalArgumentException("harness: selection " + selection);
            where[i] = where[i].substring(0, where[i].length() - 2);
        }
        for (Map<String, Object> r : items) {
            Map<String, Object> row = new LinkedHashMap<>();
            row.put("_id", Long.toString(Phone.Records.idOf(r)));
            for (Map.Entry<String, Object> e : r.entrySet()) {
                if (e.getKey().equals("id")) continue;
                row.put(e.getKey(), e.getValue());
            }
            if (t.equals("contacts")) row.put("display_name", r.get("name"));
            if (!t.equals("contacts") && r.get("date") != null) {
                Long ms = Phone.millisOf(r.get("date"));
                row.put("date", ms == null ? null : ms.toString());
            }
            boolean match = true;
            for (int i = 0; i < where.length && match; i++)
                match = row.get(where[i]) != null && row.get(where[i]).toString().equals(args[i]);
            if (match) rows.add(project(row, projection));
        }
        return new ListCursor(rows);
    }

    private static Object[] project(Map<String, Object> row, String[] projection) {
        if (projection == null) return row.values().toArray();
        Object[] out = new Object[projection.length];
        for (int i = 0; i < projection.length; i++) out[i] = row.get(projection[i]);
        return out;
    }

    private static String digits(Object number) {
        StringBuilder b = new StringBuilder();
        if (number instanceof String s)
            for (char c : s.toCharArray()) if (c >= '0' && c <= '9') b.append(c);
        return b.toString();
    }

    public static Uri insert(Uri uri, ContentValues values) {
        if (mediaKind(uri) >= 0) return insertMedia(mediaKind(uri), values);
        Phone phone = Phone.current();
        String file = fileOf(uri);
        String t = table(uri);
        Phone.Records recs = phone.records(file);
        Map<String, Object> f = new LinkedHashMap<>();
        long id;
        if (t.equals("sms") || t.equals("sms/inbox")) {
            String address = values.getAsString("address");
            String thread = null;
            long maxThread = 0;
            for (Map<String, Object> r : recs.items) {
                long th = r.get("thread_id") instanceof String s ? Long.parseLong(s) : 0;
                maxThread = Math.max(maxThread, th);
                if (thread == null && address != null && address.equals(r.get("address")))
                    thread = (String) r.get("thread_id");
            }
            f.put("thread_id", thread != null ? thread : Long.toString(maxThread + 1));
            f.put("address", address);
            f.put("date", Phone.textOf(Long.parseLong(values.getAsString("date"))));
            f.put("protocol", "0");
            f.put("read", values.getAsString("read"));
            f.put("status", "-1");
            f.put("body", values.getAsString("body"));
            f.put("type", t.equals("sms/inbox") ? "1" : values.getAsString("type"));
            id = Phone.Records.idOf(recs.add(f));
        } else if (t.equals("call_log/calls")) {
            // The phone keeps the name of the contact that has the number.
            String d = digits(values.getAsString("number"));
            if (!d.isEmpty()) {
                for (Map<String, Object> c : phone.records("contacts.json").items) {
                    if (!(c.get("name") instanceof String name)) continue;
                    if (d.equals(digits(c.get("phone_phone"))) || d.equals(digits(c.get("phone_home")))
                            || d.equals(digits(c.get("phone_work")))) {
                        f.put("name", name);
                        break;
                    }
                }
            }
            f.put("number", values.getAsString("number"));
            f.put("type", values.getAsString("type"));
            f.put("duration", values.getAsString("duration"));
            if (values.getAsString("date") != null)
                f.put("date", Phone.textOf(Long.parseLong(values.getAsString("date"))));
            id = Phone.Records.idOf(recs.add(f));
        } else if (t.equals("raw_contacts")) {
            id = Phone.Records.idOf(recs.add(f));
        } else if (t.equals("groups")) {
            f.put("title", values.getAsString("title"));
            f.put("deleted", "0");
            id = Phone.Records.idOf(recs.add(f));
        } else if (t.equals("data")) {
            long raw = Long.parseLong(values.getAsString("raw_contact_id"));
            Map<String, Object> c = recs.find(raw);
            if (c == null) return null;
            String mime = values.getAsString("mimetype");
            if (mime.equals("vnd.android.cursor.item/group_membership")) {
                // The phone folder keeps the group's title with the contact.
                Map<String, Object> g = phone.records("groups.json").find(Long.parseLong(values.getAsString("data1")));
                if (g == null) throw new IllegalArgumentException("harness: no group " + values.getAsString("data1"));
                c.put("group", g.get("title"));
                phone.save(file, recs);
                return Uri.parse("content://" + uri.authorityAndPath() + "/" + raw);
            }
            if (mime.equals("vnd.android.cursor.item/name")) {
                nameParts(c, values);
                phone.save(file, recs);
                return Uri.parse("content://" + uri.authorityAndPath() + "/" + raw);
            }
            String type = values.getAsString("data2");
            String field = null;
            String value = null;
            for (String[] d : CONTACT_DATA) {
                if (!d[1].equals(mime) || values.getAsString(d[3]) == null) continue;
                if (d[2] != null && type != null && !d[2].equals(type)) continue;
                field = d[0];
                value = values.getAsString(d[3]);
                break;
            }
            if (field == null) throw new IllegalArgumentException("harness: no field for " + mime + "/" + type);
            c.put(field, value);
            id = raw;
        } else {
            throw new IllegalArgumentException("harness: cannot insert into " + uri);
        }
        phone.save(file, recs);
        return Uri.parse("content://" + uri.authorityAndPath() + "/" + id);
    }

    /** A structured name: the phone folder keeps the given name as name and the family name as last_name. */
    private static void nameParts(Map<String, Object> c, ContentValues values) {
        String display = values.getAsString("data1"), given = values.getAsString("data2"),
                family = values.getAsString("data3");
        if (display != null) c.put("name", display);
        if (given != null) c.put("name", given);
        if (family != null) c.put("last_name", family);
    }

    private static final String[][] PRIMARY_DIRS = {
        {"DCIM", "Pictures"}, {"Alarms", "Music", "Notifications", "Podcasts", "Ringtones"}, {"DCIM", "Movies", "Pictures"}};
    private static final String[] MEDIA_TABLES = {
        "media/external/images/media", "media/external/audio/media", "media/external/video/media"};

    /** A name not yet taken in the folder: "x.jpg", then "x (1).jpg", as the phone picks it. */
    private static String freeName(java.io.File dir, String name) {
        int dot = name.lastIndexOf('.');
        String base = dot > 0 ? name.substring(0, dot) : name, ext = dot > 0 ? name.substring(dot) : "";
        String n = name;
        for (int i = 1; new java.io.File(dir, n).exists(); i++) n = base + " (" + i + ")" + ext;
        return n;
    }

    /**
     * A new MediaStore item (Android 10 and later): a pending row whose file
     * has a hidden name until it is published. The phone refuses a folder the
     * collection does not allow and a name or MIME type of another kind.
     */
    static Uri insertMedia(int kind, ContentValues v) {
        if (Os.sdk() < 29) throw new IllegalArgumentException("harness: no relative_path or is_pending before Android 10");
        String name = v.getAsString("_display_name"), rel = v.getAsString("relative_path"),
                mime = v.getAsString("mime_type");
        if (name == null || name.contains("/") || kindOfName(name) != kind)
            throw new IllegalArgumentException("unsupported name " + name + " for " + MEDIA_TABLES[kind]);
        if (mime != null && !mime.startsWith(new String[] {"image/", "audio/", "video/"}[kind]))
            throw new IllegalArgumentException("MIME type " + mime + " cannot be inserted into " + MEDIA_TABLES[kind]);
        if (rel == null || !rel.endsWith("/") || rel.contains(".."))
            throw new IllegalArgumentException("harness: relative_path " + rel);
        String primary = rel.substring(0, rel.indexOf('/'));
        if (!List.of(PRIMARY_DIRS[kind]).contains(primary))
            throw new IllegalArgumentException("Primary directory " + primary + " not allowed for content://"
                    + MEDIA_TABLES[kind] + "; allowed directories are " + List.of(PRIMARY_DIRS[kind]));
        if (!"1".equals(v.getAsString("is_pending"))) throw new IllegalArgumentException("harness: uploads are pending");
        Phone phone = Phone.current();
        java.io.File dir = new java.io.File(phone.sdcard(), rel);
        dir.mkdirs();
        String fin = freeName(dir, name);
        String hidden = ".pending-" + System.nanoTime() + "-" + fin;
        try {
            new java.io.FileOutputStream(new java.io.File(dir, hidden)).close();
        } catch (java.io.IOException e) {
            throw new IllegalStateException("harness: cannot create " + hidden, e);
        }
        Phone.Records recs = phone.records("media.json");
        Map<String, Object> m = new LinkedHashMap<>();
        m.put("path", rel + hidden);
        m.put("pending", fin);
        m.put("owner", Os.PACKAGE);
        long id = Phone.Records.idOf(recs.add(m));
        phone.save("media.json", recs);
        return Uri.parse("content://" + MEDIA_TABLES[kind] + "/" + id);
    }

    private static Map<String, Object> mediaRow(Uri uri) {
        String p = uri.authorityAndPath();
        int slash = p.lastIndexOf('/');
        int kind = slash < 0 ? -1 : mediaKind(Uri.parse(p.substring(0, slash)));
        if (kind < 0) return null;
        Map<String, Object> m = Phone.current().records("media.json").find(Long.parseLong(p.substring(slash + 1)));
        return m != null && m.get("path") instanceof String rel && kindOfName(rel) == kind ? m : null;
    }

    public static java.io.OutputStream openOutputStream(Uri uri, String mode) throws java.io.FileNotFoundException {
        if (!"w".equals(mode) && !"wt".equals(mode)) throw new IllegalArgumentException("harness: mode " + mode);
        Map<String, Object> m = mediaRow(uri);
        if (m == null) throw new java.io.FileNotFoundException("no item " + uri);
        return new java.io.FileOutputStream(new java.io.File(Phone.current().sdcard(), (String) m.get("path")));
    }

    /** Publishing (is_pending 0) and renaming (_display_name) of an item; the file follows its name. */
    static int updateMedia(Uri uri, ContentValues values) {
        if (Os.sdk() < 29) throw new IllegalArgumentException("harness: no is_pending before Android 10");
        Phone phone = Phone.current();
        Phone.Records recs = phone.records("media.json");
        Map<String, Object> m0 = mediaRow(uri);
        if (m0 == null) return 0;
        Map<String, Object> m = recs.find(Phone.Records.idOf(m0));
        String rel = (String) m.get("path");
        String folder = rel.substring(0, rel.lastIndexOf('/') + 1);
        java.io.File dir = new java.io.File(phone.sdcard(), folder);
        String want = values.getAsString("_display_name");
        if ("0".equals(values.getAsString("is_pending")) && m.get("pending") instanceof String fin) {
            m.remove("pending");
            if (want == null) want = fin;
        }
        if (want != null && !want.equals(new java.io.File(rel).getName())) {
            if (want.contains("/") || kindOfName(want) != kindOfName(rel)) throw new IllegalArgumentException("name " + want);
            String fin = freeName(dir, want);
            if (!new java.io.File(phone.sdcard(), rel).renameTo(new java.io.File(dir, fin))) return 0;
            m.put("path", folder + fin);
            String title = fin.lastIndexOf('.') > 0 ? fin.substring(0, fin.lastIndexOf('.')) : fin;
            m.put("title", title);
            m.put("display_name", fin);
            m.putIfAbsent("created", new Json.Num(Long.toString(System.currentTimeMillis() / 1000)));
            if (kindOfName(fin) != 0) m.putIfAbsent("duration", new Json.Num("0"));
            if (kindOfName(fin) == 1) {
                m.putIfAbsent("album", "<unknown>");
                m.putIfAbsent("artist", "<unknown>");
                m.putIfAbsent("album_id", new Json.Num("0"));
            }
        }
        phone.save("media.json", recs);
        return 1;
    }

    /** Updates of the structured name row of one raw contact; 0 when it has none. */
    public static int update(Uri uri, ContentValues values, String selection, String[] args) {
        if (uri.authorityAndPath().startsWith("media/external/")) {
            if (selection != null) throw new IllegalArgumentException("harness: media updates take no selection");
            return updateMedia(uri, values);
        }
        if (!table(uri).equals("data") || !"raw_contact_id=? AND mimetype=?".equals(selection)
                || !"vnd.android.cursor.item/name".equals(args[1]))
            throw new IllegalArgumentException("harness: cannot update " + uri + " where " + selection);
        Phone phone = Phone.current();
        Phone.Records recs = phone.records("contacts.json");
        Map<String, Object> c = recs.find(Long.parseLong(args[0]));
        if (c == null || !(c.get("name") instanceof String)) return 0;
        nameParts(c, values);
        phone.save("contacts.json", recs);
        return 1;
    }

    /**
     * The album art table: the phone folder's albumart/ALBUM_ID.jpg when there
     * is one. Android 10 and later do not serve the table (the harness plays
     * that so that the app's own path there is the one tested).
     */
    public static java.io.InputStream openInputStream(Uri uri) throws java.io.FileNotFoundException {
        String p = uri.authorityAndPath();
        if (!p.startsWith("media/external/audio/albumart/"))
            throw new SecurityException("harness: no stream for " + uri);
        if (Os.sdk() >= 29) throw new java.io.FileNotFoundException("no album art table from Android 10: " + uri);
        long album = Long.parseLong(p.substring(p.lastIndexOf('/') + 1));
        return albumArt(album);
    }

    private static java.io.InputStream albumArt(long album) throws java.io.FileNotFoundException {
        return new java.io.FileInputStream(new java.io.File(Phone.current().dir(), "albumart/" + album + ".jpg"));
    }

    /** The album art of a song (media/external/audio/media/ID), as the album art table holds it. */
    public static java.io.InputStream thumbnailStream(Uri uri) throws java.io.FileNotFoundException {
        String p = uri.authorityAndPath();
        if (!p.startsWith("media/external/audio/media/"))
            throw new UnsupportedOperationException("harness: thumbnails of songs only, not " + uri);
        Map<String, Object> m = Phone.current().records("media.json").find(Long.parseLong(p.substring(p.lastIndexOf('/') + 1)));
        if (m == null || !(m.get("album_id") instanceof Json.Num album))
            throw new java.io.FileNotFoundException(uri + " has no album art");
        return albumArt(album.asLong());
    }

    /** A scanned file joins media.json as the phone's media scanner adds it; a known path keeps its row. */
    public static Uri scan(String path) {
        Phone phone = Phone.current();
        java.io.File f = new java.io.File(path);
        String root = phone.sdcard().getPath() + "/";
        int kind = kindOfName(f.getName());
        if (!path.startsWith(root) || kind < 0 || !f.isFile()) return null;
        String rel = path.substring(root.length());
        Phone.Records recs = phone.records("media.json");
        for (Map<String, Object> m : recs.items)
            if (rel.equals(m.get("path"))) return null;
        Map<String, Object> m = new LinkedHashMap<>();
        String name = f.getName();
        m.put("path", rel);
        m.put("created", new Json.Num(Long.toString(f.lastModified() / 1000)));
        m.put("title", name.lastIndexOf('.') > 0 ? name.substring(0, name.lastIndexOf('.')) : name);
        if (kind == 1) {
            m.put("album", "<unknown>");
            m.put("artist", "<unknown>");
            m.put("album_id", new Json.Num("0"));
        }
        if (kind == 2) m.put("display_name", name);
        if (kind != 0) m.put("duration", new Json.Num("0"));
        long id = Phone.Records.idOf(recs.add(m));
        phone.save("media.json", recs);
        return Uri.parse("content://" + new String[] {"media/external/images/media", "media/external/audio/media",
                "media/external/video/media"}[kind] + "/" + id);
    }

    /**
     * Deletes one MediaStore row (TABLE/ID); the phone removes its file too.
     * From Android 11 an app may delete only the items it made itself.
     */
    static int deleteMedia(Uri uri) {
        Map<String, Object> m = mediaRow(uri);
        if (m != null && Os.sdk() >= 30 && !Os.PACKAGE.equals(m.get("owner")))
            throw new SecurityException(Os.PACKAGE + " has no access to " + uri);
        return deleteAsOwner(uri);
    }

    /** A delete the owner allowed. */
    public static int deleteAsOwner(Uri uri) {
        String p = uri.authorityAndPath();
        int slash = p.lastIndexOf('/');
        int kind = mediaKind(Uri.parse(p.substring(0, slash)));
        long id = Long.parseLong(p.substring(slash + 1));
        Phone phone = Phone.current();
        Phone.Records recs = phone.records("media.json");
        Map<String, Object> m = recs.find(id);
        if (m == null || !(m.get("path") instanceof String rel) || kindOfName(rel) != kind) return 0;
        new java.io.File(phone.sdcard(), rel).delete();
        recs.items.remove(m);
        phone.save("media.json", recs);
        return 1;
    }

    public static int delete(Uri uri, String selection) {
        if (selection != null) throw new IllegalArgumentException("harness: delete takes no selection");
        if (uri.authorityAndPath().startsWith("media/external/")) return deleteMedia(uri);
        String t = table(uri);
        if (!t.equals("sms") && !t.equals("call_log/calls") && !t.equals("raw_contacts"))
            throw new IllegalArgumentException("harness: cannot delete from " + uri);
        Phone phone = Phone.current();
        Phone.Records recs = phone.records(fileOf(uri));
        int n = recs.items.size();
        recs.items.clear();
        phone.save(fileOf(uri), recs);
        return n;
    }
}
