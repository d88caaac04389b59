package shapes;

import java.util.concurrent.TimeUnit;

/**
 * The executable jar's main class. Writes "key value" lines: its class, its
 * module's name, sun.java.command, whether the jar's manifest Class-Path brought
 * in the second jar, and whether the manifest's Add-Opens opened java.lang.
 * "until:N" keeps it running until N later starts reached secondaryMain; a
 * lone "stamp" prints only the moment main was entered.
 */
public final class JarMain {
    private static final Object CALLS = new Object();
    private static int calls;

    private JarMain() {
    }

    static void report(Class<?> type, String[] args) throws InterruptedException {
        System.out.println("class " + type.getName());
        System.out.println("module " + type.getModule().getName());
        System.out.println("command " + System.getProperty("sun.java.command"));
        String lib;
        try {
            lib = (String) Class.forName("shapes.lib.Helper").getMethod("name").invoke(null);
        } catch (ReflectiveOperationException e) {
            lib = "missing";
        }
        System.out.println("lib " + lib);
        boolean opened;
        try {
            String.class.getDeclaredField("value").setAccessible(true);
            opened = true;
        } catch (RuntimeException | NoSuchFieldException e) {
            opened = false;
        }
        System.out.println("opened " + opened);
        System.out.flush();
        for (String arg : args) {
            if (arg.startsWith("until:")) {
                int wanted = Integer.parseInt(arg.substring(6));
                long deadline = System.nanoTime() + TimeUnit.MINUTES.toNanos(1);
                synchronized (CALLS) {
                    while (calls < wanted && System.nanoTime() < deadline) {
                        CALLS.wait(100);
                    }
                }
            }
        }
    }

    public static void main(String[] args) throws InterruptedException {
        if (args.length == 1 && args[0].equals("stamp")) {
            // For the bench: the moment main was entered, in microseconds since 1970, and nothing else.
            java.time.Instant now = java.time.Instant.now();
            System.out.println(now.getEpochSecond() * 1_000_000L + now.getNano() / 1_000);
            return;
        }
        report(JarMain.class, args);
    }

    public static void secondaryMain(String[] args) {
        synchronized (CALLS) {
            System.out.println("secondary " + String.join("|", args));
            System.out.flush();
            ++calls;
            CALLS.notifyAll();
        }
    }
}
