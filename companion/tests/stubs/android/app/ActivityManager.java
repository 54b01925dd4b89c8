package android.app;

import tarvell.harness.Api;
import tarvell.harness.Phone;

@Api(1)
public class ActivityManager {
    @Api(1)
    public static class MemoryInfo {
        @Api(16)
        public long totalMem;
        @Api(1)
        public long availMem;

        @Api(1)
        public MemoryInfo() {}
    }

    @Api(1)
    public void getMemoryInfo(MemoryInfo info) {
        info.totalMem = Phone.current().storage("MEMTOTAL");
        info.availMem = Phone.current().storage("MEMAVAIL");
    }
}
