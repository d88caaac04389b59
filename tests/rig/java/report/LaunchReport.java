package report;

import java.lang.management.ManagementFactory;
import java.util.stream.Collectors;

/**
 * Reports what a launch handed to the Java program, one "key value" line each on
 * System.out, and a line on System.err. Arguments of the form "exit:N",
 * "thread-exit:N" and "worker:MS" make it end with System.exit(N) from main or
 * from another thread, or leave a non-daemon thread running for MS milliseconds.
 */
public final class LaunchReport {
    /** A class the launch can name that has no main method. */
    static final class NoMain {
    }

    private static int depth;

    private static String codePoints(String text) {
        return text == null ? "null"
                : text.codePoints().mapToObj(Integer::toHexString).collect(Collectors.joining(" "));
    }

    private static void recurse() {
        ++depth;
        recurse();
    }

    public static void main(String[] args) throws InterruptedException {
        System.out.println("args " + args.length);
        for (int i = 0; i < args.length; ++i) {
            System.out.println("arg" + i + " " + codePoints(args[i]));
        }
        for (String name : new String[] {"VQ_JVM_PATH", "VQ_JVM_HOME", "PATH", "Path"}) {
            System.out.println("env:" + name + " " + System.getenv(name));
        }
        System.out.println("prop:java.class.path " + System.getProperty("java.class.path"));
        System.out.println("prop:report.value " + System.getProperty("report.value"));
        System.out.println("prop:sun.java.command " + System.getProperty("sun.java.command"));
        System.out.println("inputs " + String.join("|", ManagementFactory.getRuntimeMXBean().getInputArguments()));
        System.out.println("maxMemory " + Runtime.getRuntime().maxMemory());
        try {
            recurse();
        } catch (StackOverflowError expected) {
            System.out.println("depth " + depth);
        }
        System.err.println("report on standard error");
        for (String arg : args) {
            if (arg.startsWith("exit:")) {
                System.exit(Integer.parseInt(arg.substring(5)));
            } else if (arg.startsWith("thread-exit:")) {
                Thread exiter = new Thread(() -> System.exit(Integer.parseInt(arg.substring(12))), "exiter");
                exiter.start();
                exiter.join();
            } else if (arg.startsWith("worker:")) {
                new Thread(() -> {
                    try {
                        Thread.sleep(Long.parseLong(arg.substring(7)));
                    } catch (InterruptedException e) {
                        return;
                    }
                    System.out.println("worker finished");
                }, "worker").start();
            }
        }
        System.out.println("main returns");
    }
}
