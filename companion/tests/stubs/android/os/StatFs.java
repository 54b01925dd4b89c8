package android.os;

import tarvell.harness.Api;
import tarvell.harness.Phone;

/** Figures from the simulated phone's storage table. */
@Api(1)
public class StatFs {
    private final boolean shared;

    @Api(1)
    public StatFs(String path) {
        Phone phone = Phone.current();
        if (path.startsWith(phone.sdcard().getPath())) {
            shared = true;
        } else if (path.startsWith(phone.dir().getPath())) {
            shared = false;
        } else {
            throw new IllegalArgumentException("no file system at " + path);
        }
    }

    @Api(18)
    public long getTotalBytes() {
        return Phone.current().storage(shared ? "SDTOTAL" : "PHONETOTAL");
    }

    @Api(18)
    public long getAvailableBytes() {
        return Phone.current().storage(shared ? "SDAVAIL" : "PHONEAVAIL");
    }
}
