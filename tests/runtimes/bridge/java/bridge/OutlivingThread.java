package bridge;

/** Returns from main while a non-daemon thread still has work to do. */
public final class OutlivingThread {
    public static void main(String[] args) {
        new Thread(() -> {
            try {
                Thread.sleep(Long.parseLong(args[0]));
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("worker finished");
        }, "worker").start();
        System.out.println("main returned");
    }
}
