package bridge;

/** Ends the VM with System.exit(args[0]) from main, after a shutdown hook. */
public final class ExitFromMain {
    public static void main(String[] args) {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("shutdown hook ran")));
        System.out.println("exiting with " + args[0]);
        System.exit(Integer.parseInt(args[0]));
        System.out.println("still running after System.exit");
    }
}
