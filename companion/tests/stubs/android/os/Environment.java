package android.os;

import java.io.File;
import tarvell.harness.Api;
import tarvell.harness.Phone;

@Api(1)
public class Environment {
    @Api(1)
    public static File getDataDirectory() {
        return new File(Phone.current().dir(), "data");
    }

    /** The phone's shared storage: the phone folder's sdcard tree. */
    @Api(1)
    public static File getExternalStorageDirectory() {
        return Phone.current().sdcard();
    }
}
