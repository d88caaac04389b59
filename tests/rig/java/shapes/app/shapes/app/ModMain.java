package shapes.app;

import java.util.concurrent.TimeUnit;

/**
 * The module's main class. Writes "key value" lines: its class, its module's
 * name, sun.java.command, whether the unrequired module shapes.extra is in the
 * boot layer, whether java.lang is open to it, and where its runtime lives.
 * "until:N" keeps it running until N later starts reached secondaryMain; a
 * lone "stamp" prints only the moment main was entered.
 */
public final class ModMain {
    private static final Object CALLS = new Object();
    private static int calls;

    private ModMain() {
    }

    static void report(Class<?> type, String[] args) throws InterruptedException {
        System.out.println("class " + type.getName());
        System.out.println("module " + type.getModule().getName());
        System.out.println("command " + System.getProperty("sun.java.command"));
        System.out.println("extra " + ModuleLayer.boot().findModule("shapes.extra").isPresent());
        boolean opened;
        try {
            String.class.getDeclaredField("value").setAccessible(true);
            opened = true;
        } catch (RuntimeException | NoSuchFieldException e) {
            opened = false;
        }
        System.out.println("opened " + opened);
        System.out.println("home " + System.getProperty("java.home"));
        System.out.println("desktop " + ModuleLayer.boot().findModule("java.desktop").isPresent());
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
        report(ModMain.class, args);
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
