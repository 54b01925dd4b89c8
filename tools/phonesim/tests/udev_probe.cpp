// Lists the USB devices libudev sees, one line each, for the test that shows
// the simulated phone to USB detection through umockdev.
#include <cstdio>
#include <libudev.h>

int main() {
    udev* u = udev_new();
    udev_enumerate* e = udev_enumerate_new(u);
    udev_enumerate_add_match_subsystem(e, "usb");
    udev_enumerate_scan_devices(e);
    udev_list_entry* l = nullptr;
    udev_list_entry_foreach(l, udev_enumerate_get_list_entry(e)) {
        udev_device* d = udev_device_new_from_syspath(u, udev_list_entry_get_name(l));
        auto attr = [&](const char* a) {
            const char* v = udev_device_get_sysattr_value(d, a);
            return v ? v : "-";
        };
        const char* type = udev_device_get_devtype(d);
        std::printf("%s vid=%s pid=%s serial=%s class=%s/%s/%s\n", type ? type : "-",
                    attr("idVendor"), attr("idProduct"), attr("serial"), attr("bInterfaceClass"),
                    attr("bInterfaceSubClass"), attr("bInterfaceProtocol"));
        udev_device_unref(d);
    }
    udev_enumerate_unref(e);
    udev_unref(u);
    return 0;
}
