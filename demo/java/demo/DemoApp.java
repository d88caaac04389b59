package demo;

import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/** The demo application that DemoApp.exe starts: it shows what it was given. */
public final class DemoApp {
    private static final CountDownLatch SECOND_START = new CountDownLatch(1);

    private DemoApp() {
    }

    public static void main(String[] args) throws InterruptedException {
        System.out.println("DemoApp is running in " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.version"));
        System.out.println("VQ_JVM_HOME = " + System.getenv("VQ_JVM_HOME"));
        System.out.println("class path  = " + System.getProperty("java.class.path"));
        System.out.println(args.length + " argument(s):");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
        System.out.println("Waiting up to 30 s for a second start of DemoApp.exe ...");
        System.out.flush();
        System.out.println(SECOND_START.await(30, TimeUnit.SECONDS) ? "A second start came; DemoApp ends."
                : "No second start came; DemoApp ends.");
    }

    /**
     * Called in this running program when DemoApp.exe is started again (the INI
     * file says "Single Instance=yes"); that second start ends with the value
     * returned here.
     */
    public static int secondaryMain(String[] args) {
        System.out.println("secondaryMain: a second start handed over " + args.length + " argument(s):");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
        SECOND_START.countDown();
        return args.length;
    }
}
