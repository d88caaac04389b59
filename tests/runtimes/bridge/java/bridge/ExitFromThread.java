package bridge;

/** Ends the VM with System.exit(args[0]) from a second thread while main waits for it. */
public final class ExitFromThread {
    public static void main(String[] args) throws InterruptedException {
        Thread exiter = new Thread(() -> {
            System.out.println("exiting from " + Thread.currentThread().getName());
            System.exit(Integer.parseInt(args[0]));
        }, "exiter");
        exiter.start();
        exiter.join();
        System.out.println("main went on after System.exit");
    }
}
