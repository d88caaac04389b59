package report;

import java.io.BufferedReader;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;

/**
 * A command-line tool for the console launcher. "echo" prints each line read
 * from System.in as "in: " and the line; "both" writes numbered lines to
 * System.out and System.err in turn; "exit:N" calls System.exit(N); "hook"
 * adds a shutdown hook that prints "hook ran", prints "waiting" and waits in
 * main until the program is stopped.
 */
public final class ConsoleTool {
    public static void main(String[] args) throws Exception {
        for (String arg : args) {
            if (arg.equals("echo")) {
                BufferedReader in = new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
                for (String line; (line = in.readLine()) != null; ) System.out.println("in: " + line);
            } else if (arg.equals("both")) {
                for (int i = 1; i <= 3; ++i) {
                    System.out.println("out " + i);
                    System.err.println("err " + i);
                }
            } else if (arg.startsWith("exit:")) {
                System.exit(Integer.parseInt(arg.substring(5)));
            } else if (arg.equals("hook")) {
                Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("hook ran")));
                System.out.println("waiting");
                Thread.sleep(Long.MAX_VALUE);
            }
        }
    }
}
