package tarvell.harness;

import java.lang.reflect.AnnotatedElement;
import java.lang.reflect.Constructor;
import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * Checks every android.* method and field the app's dex refers to (the
 * lists of baksmali) against the stubs: it must exist there with exactly
 * that descriptor, and carry the API level that introduced it. A wrong
 * descriptor is no verify error on the JVM and fails only when its path
 * runs; on a phone it fails the same way.
 *
 *   RefCheck METHODS_LIST FIELDS_LIST
 */
public final class RefCheck {
    public static void main(String[] args) throws Exception {
        List<String> problems = new ArrayList<>();
        int checked = 0;
        for (String line : Files.readAllLines(Path.of(args[0]))) {
            line = line.trim();
            if (!line.startsWith("Landroid/")) continue;
            checked++;
            String problem = checkMethod(line);
            if (problem != null) problems.add(line + ": " + problem);
        }
        for (String line : Files.readAllLines(Path.of(args[1]))) {
            line = line.trim();
            if (!line.startsWith("Landroid/")) continue;
            checked++;
            String problem = checkField(line);
            if (problem != null) problems.add(line + ": " + problem);
        }
        for (String p : problems) System.out.println("not in the stubs: " + p);
        System.out.println(checked + " android references checked, " + problems.size() + " problems");
        if (checked == 0 || !problems.isEmpty()) System.exit(1);
    }

    private static int index;

    /** Reads one type of a descriptor at index. */
    private static Class<?> type(String d) throws ClassNotFoundException {
        char c = d.charAt(index++);
        switch (c) {
            case 'V': return void.class;
            case 'Z': return boolean.class;
            case 'B': return byte.class;
            case 'S': return short.class;
            case 'C': return char.class;
            case 'I': return int.class;
            case 'J': return long.class;
            case 'F': return float.class;
            case 'D': return double.class;
            case '[': return type(d).arrayType();
            case 'L': {
                int end = d.indexOf(';', index);
                String name = d.substring(index, end).replace('/', '.');
                index = end + 1;
                return Class.forName(name, false, RefCheck.class.getClassLoader());
            }
            default: throw new IllegalArgumentException("bad descriptor " + d);
        }
    }

    private static Class<?> owner(String ref) throws ClassNotFoundException {
        index = 0;
        return type(ref.substring(0, ref.indexOf("->")));
    }

    private static String api(AnnotatedElement e, Class<?> owner) {
        if (e.getAnnotation(Api.class) == null) return "the stub names no API level";
        if (owner.getAnnotation(Api.class) == null) return "the stub class names no API level";
        return null;
    }

    static String checkMethod(String ref) {
        try {
            Class<?> owner = owner(ref);
            String rest = ref.substring(ref.indexOf("->") + 2);
            String name = rest.substring(0, rest.indexOf('('));
            String desc = rest.substring(rest.indexOf('('));
            List<Class<?>> params = new ArrayList<>();
            index = 1;
            while (desc.charAt(index) != ')') params.add(type(desc));
            index++;
            Class<?> ret = type(desc);
            Class<?>[] p = params.toArray(new Class<?>[0]);
            if (name.equals("<init>")) {
                Constructor<?> c = owner.getDeclaredConstructor(p);
                return api(c, owner);
            }
            // As the phone resolves it: the class, its superclasses, its interfaces.
            for (Class<?> k = owner; k != null; k = k.getSuperclass()) {
                String found = inClass(k, name, p, ret);
                if (found != null) return found.isEmpty() ? null : found;
                for (Class<?> i : k.getInterfaces()) {
                    found = inClass(i, name, p, ret);
                    if (found != null) return found.isEmpty() ? null : found;
                }
            }
            return "no such method";
        } catch (ClassNotFoundException e) {
            return "no stub class " + e.getMessage();
        } catch (NoSuchMethodException e) {
            return "no such constructor";
        }
    }

    private static String inClass(Class<?> k, String name, Class<?>[] p, Class<?> ret) {
        try {
            Method m = k.getDeclaredMethod(name, p);
            if (m.getReturnType() != ret) return "returns " + m.getReturnType().getName();
            String a = api(m, k);
            return a == null ? "" : a;
        } catch (NoSuchMethodException e) {
            return null;
        }
    }

    static String checkField(String ref) {
        try {
            Class<?> owner = owner(ref);
            String rest = ref.substring(ref.indexOf("->") + 2);
            String name = rest.substring(0, rest.indexOf(':'));
            index = 0;
            Class<?> t = type(rest.substring(rest.indexOf(':') + 1));
            Field f = owner.getDeclaredField(name);
            if (f.getType() != t) return "has type " + f.getType().getName();
            return api(f, owner);
        } catch (ClassNotFoundException e) {
            return "no stub class " + e.getMessage();
        } catch (NoSuchFieldException e) {
            return "no such field";
        }
    }
}
