package tarvell.harness;

import android.content.Intent;
import android.os.Build;
import java.io.File;
import java.io.IOException;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.List;
import java.util.jar.JarEntry;
import java.util.jar.JarFile;

/**
 * Runs the companion app from its converted classes on a simulated phone
 * folder: loads (and so verifies) every class of the app, starts its
 * activity as the computer does, and serves until the phone folder goes or
 * the process is ended.
 *
 *   Main --phone DIR --app JAR --port N [--ready FILE]
 *
 * READY receives "PORT PID" once the app listens; removing it ends the run.
 *   Main --app JAR --load-only
 */
public final class Main {
    public static void main(String[] args) throws Exception {
        String phoneDir = null, app = null, ready = null;
        int port = -1;
        boolean loadOnly = false;
        for (int i = 0; i < args.length; i++) {
            switch (args[i]) {
                case "--phone" -> phoneDir = args[++i];
                case "--app" -> app = args[++i];
                case "--port" -> port = Integer.parseInt(args[++i]);
                case "--ready" -> ready = args[++i];
                case "--load-only" -> loadOnly = true;
                default -> {
                    System.err.println("companion harness: unknown argument " + args[i]);
                    System.exit(2);
                }
            }
        }
        if (app == null || (!loadOnly && (phoneDir == null || port < 0))) {
            System.err.println("usage: Main --phone DIR --app JAR --port N [--ready FILE] | --app JAR --load-only");
            System.exit(2);
        }
        List<String> loaded = loadAll(app);
        if (loadOnly) {
            System.out.println("loaded " + loaded.size() + " classes");
            return;
        }
        Phone phone = new Phone(new File(phoneDir));
        if (!new File(phoneDir, "phone.json").isFile()) {
            System.err.println("companion harness: no phone.json in " + phoneDir + "; make one with phonesim gen");
            System.exit(2);
        }
        Phone.use(phone);
        Build.VERSION.SDK_INT = phone.sdk();
        System.setProperty("tarvell.companion.port", Integer.toString(port));
        Class<?> activity = Class.forName("com.velmora.tarvell.activity.ServiceActivity");
        Os.startActivity(new Intent(null, activity), null, 0);
        int bound = 0;
        for (int i = 0; i < 500 && bound == 0; i++) {
            Thread.sleep(10);
            if (Os.service() != null)
                bound = (Integer) Os.service().getClass().getMethod("boundPort").invoke(Os.service());
        }
        if (bound == 0) {
            System.err.println("companion harness: the service did not listen on port " + port);
            System.exit(1);
        }
        if (ready != null) {
            // Written whole, then renamed: a reader never sees half of it.
            File tmp = new File(ready + ".tmp");
            Files.writeString(tmp.toPath(), bound + " " + ProcessHandle.current().pid() + "\n");
            Files.move(tmp.toPath(), new File(ready).toPath(), java.nio.file.StandardCopyOption.ATOMIC_MOVE);
        }
        System.out.println("listening " + bound);
        System.out.flush();
        // Ends with the phone folder, or when the simulated phone stops the
        // app (it removes the ready file).
        while (new File(phoneDir, "phone.json").isFile() && (ready == null || new File(ready).isFile()))
            Thread.sleep(100);
        System.out.println(new File(phoneDir, "phone.json").isFile() ? "stopped: the ready file was removed"
                : "stopped: the phone folder is gone");
        Os.stopService();
        System.exit(0);
    }

    /** Loads and initialises every class of the app jar; the JVM verifies only what it loads. */
    static List<String> loadAll(String jar) throws IOException, ClassNotFoundException {
        List<String> names = new ArrayList<>();
        try (JarFile j = new JarFile(jar)) {
            for (Enumeration<JarEntry> e = j.entries(); e.hasMoreElements();) {
                String n = e.nextElement().getName();
                if (n.endsWith(".class")) names.add(n.substring(0, n.length() - 6).replace('/', '.'));
            }
        }
        for (String n : names) Class.forName(n, true, Main.class.getClassLoader());
        if (names.isEmpty()) throw new IOException(jar + " holds no classes");
        return names;
    }
}
