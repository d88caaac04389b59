package demo;

/** The demo application that DemoApp.exe starts: it shows what it was given. */
public final class DemoApp {
    private DemoApp() {
    }

    public static void main(String[] args) {
        System.out.println("DemoApp is running in " + System.getProperty("java.vm.name") + " "
                + System.getProperty("java.version"));
        System.out.println("VQ_JVM_HOME = " + System.getenv("VQ_JVM_HOME"));
        System.out.println("class path  = " + System.getProperty("java.class.path"));
        System.out.println(args.length + " argument(s):");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
    }
}
