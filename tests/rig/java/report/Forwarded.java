package report;

import java.util.Arrays;
import java.util.concurrent.TimeUnit;
import java.util.stream.Collectors;

/**
 * A program started in single-instance mode, in four variants that differ only in
 * their secondaryMain. main prints "main", then follows its arguments in order:
 * "hold:MS" keeps it running that long, "until:N" until N forwarded calls came (at
 * most a minute), "exit:N" ends it with System.exit(N). Every secondaryMain call
 * prints "secondary FORM COUNT ARGS", ARGS being each argument's code points in
 * hex, "|" between arguments.
 */
public final class Forwarded {
    private static final Object CALLS = new Object();
    private static int callCount;

    private Forwarded() {
    }

    static void record(String form, String[] args) {
        String text = Arrays.stream(args)
                .map(arg -> arg.codePoints().mapToObj(Integer::toHexString).collect(Collectors.joining(" ")))
                .collect(Collectors.joining("|"));
        synchronized (CALLS) {
            System.out.println("secondary " + form + " " + args.length + " " + text);
            System.out.flush();
            ++callCount;
            CALLS.notifyAll();
        }
    }

    static void run(String[] args) throws InterruptedException {
        System.out.println("main");
        System.out.flush();
        for (String arg : args) {
            if (arg.startsWith("hold:")) {
                Thread.sleep(Long.parseLong(arg.substring(5)));
            } else if (arg.startsWith("until:")) {
                int wanted = Integer.parseInt(arg.substring(6));
                long deadline = System.nanoTime() + TimeUnit.MINUTES.toNanos(1);
                synchronized (CALLS) {
                    while (callCount < wanted && System.nanoTime() < deadline) {
                        CALLS.wait(100);
                    }
                }
            } else if (arg.startsWith("exit:")) {
                System.exit(Integer.parseInt(arg.substring(5)));
            }
        }
    }

    /** The void form: the secondary ends with 0 as the call begins. */
    public static final class VoidForm {
        public static void main(String[] args) throws InterruptedException {
            run(args);
        }

        public static void secondaryMain(String[] args) {
            record("void", args);
        }
    }

    /**
     * The int form: N for a first argument "reply:N", else 100 plus the argument
     * count; a first argument "throw" makes it throw.
     */
    public static final class IntForm {
        public static void main(String[] args) throws InterruptedException {
            run(args);
        }

        public static int secondaryMain(String[] args) {
            record("int", args);
            if (args[0].equals("throw")) {
                throw new IllegalStateException("asked to throw");
            }
            return args[0].startsWith("reply:") ? Integer.parseInt(args[0].substring(6)) : 100 + args.length;
        }
    }

    /** No secondaryMain: a secondary waits for the program to end. */
    public static final class NoForm {
        public static void main(String[] args) throws InterruptedException {
            run(args);
        }
    }

    /** Held before main by its static initialiser for three seconds. */
    public static final class SlowStart {
        static {
            try {
                Thread.sleep(3000);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        }

        public static void main(String[] args) throws InterruptedException {
            run(args);
        }

        public static void secondaryMain(String[] args) {
            record("void", args);
        }
    }
}
