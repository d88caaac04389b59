package report;

import java.lang.management.ManagementFactory;
import java.util.concurrent.CountDownLatch;

// A service's program. main notes its arguments on standard output and does what
// the first asks: "exit4" ends with System.exit(4), "throw" throws, anything else
// returns and leaves a worker that runs until stop is called. The stop methods
// and a shutdown hook note their calls too; "timed" adds the time to each note,
// and when the VM's creation began, for the bench.
public class ServiceProgram {
    private static final CountDownLatch stopped = new CountDownLatch(1);
    private static boolean timed;

    private static void note(String line) {
        System.out.println(timed ? line + " @" + System.currentTimeMillis() : line);
    }

    public static void main(String[] args) throws Exception {
        timed = args.length > 0 && args[0].equals("timed");
        // The VM counts its uptime from the start of its creation.
        if (timed) System.out.println("vm @" + (System.currentTimeMillis() - ManagementFactory.getRuntimeMXBean().getUptime()));
        note("main " + String.join(" ", args));
        Runtime.getRuntime().addShutdownHook(new Thread(() -> note("hook")));
        String mode = args.length > 0 ? args[0] : "";
        if (mode.equals("exit4")) {
            Thread.sleep(1000);
            System.exit(4);
        }
        if (mode.equals("throw")) throw new IllegalStateException("the service cannot start");
        new Thread(() -> {
            try {
                stopped.await();
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("worker ends");
        }).start();
    }

    public static void stop(String[] args) {
        note("stop " + String.join(" ", args));
        stopped.countDown();
    }

    public static void hang() throws InterruptedException {
        System.out.println("hang");
        Thread.sleep(Long.MAX_VALUE);
    }
}
