package android.webkit;

import java.util.Map;
import tarvell.harness.Api;

/** The phone's table of MIME types by file extension (lower case, no dot). */
@Api(1)
public class MimeTypeMap {
    private static final Map<String, String> TYPES = Map.ofEntries(Map.entry("jpg", "image/jpeg"),
            Map.entry("jpeg", "image/jpeg"), Map.entry("png", "image/png"), Map.entry("gif", "image/gif"),
            Map.entry("bmp", "image/x-ms-bmp"), Map.entry("webp", "image/webp"), Map.entry("mp3", "audio/mpeg"),
            Map.entry("m4a", "audio/mp4"), Map.entry("aac", "audio/aac"), Map.entry("ogg", "audio/ogg"),
            Map.entry("flac", "audio/flac"), Map.entry("wav", "audio/x-wav"), Map.entry("amr", "audio/amr"),
            Map.entry("mp4", "video/mp4"), Map.entry("3gp", "video/3gpp"), Map.entry("mkv", "video/x-matroska"),
            Map.entry("webm", "video/webm"), Map.entry("avi", "video/avi"), Map.entry("mov", "video/quicktime"));
    private static final MimeTypeMap SINGLETON = new MimeTypeMap();

    private MimeTypeMap() {}

    @Api(1)
    public static MimeTypeMap getSingleton() {
        return SINGLETON;
    }

    @Api(1)
    public String getMimeTypeFromExtension(String extension) {
        return extension == null ? null : TYPES.get(extension);
    }
}
