package report;

/**
 * Lets an exception escape main, 60 frames deep, with a non-ASCII message and a
 * line far longer than the exception box is wide. With the argument "worker:MS"
 * it first leaves a non-daemon thread sleeping for MS milliseconds; with
 * "pause:MS" it waits that long before throwing.
 */
public final class ThrowFromMain {
    private static void descend(int frames) {
        if (frames == 0) {
            throw new IllegalStateException("Gr\u00fc\u00dfe \u2713 " + "a line too long for the box ".repeat(12));
        }
        descend(frames - 1);
    }

    public static void main(String[] args) throws InterruptedException {
        for (String arg : args) {
            if (arg.startsWith("pause:")) Thread.sleep(Long.parseLong(arg.substring(6)));
            if (arg.startsWith("worker:")) {
                new Thread(() -> {
                    try {
                        Thread.sleep(Long.parseLong(arg.substring(7)));
                    } catch (InterruptedException e) {
                        return;
                    }
                }, "worker").start();
            }
        }
        System.out.println("main throws");
        descend(60);
    }
}
