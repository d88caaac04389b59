package report;

import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.PrintStream;

/**
 * Writes through System.out/err and through FileDescriptor.out/err. With an
 * argument N it writes N MiB of numbered lines to each stream, every other line
 * through the other writer, so a lost, doubled or overwritten line shows.
 */
public final class Streams {
    public static void main(String[] args) {
        PrintStream descriptorOut = new PrintStream(new FileOutputStream(FileDescriptor.out), true);
        PrintStream descriptorErr = new PrintStream(new FileOutputStream(FileDescriptor.err), true);
        if (args.length == 0) {
            System.out.println("System.out");
            descriptorOut.println("FileDescriptor.out");
            System.err.println("System.err");
            descriptorErr.println("FileDescriptor.err");
            return;
        }
        String padding = "x".repeat(1014);
        long lines = Long.parseLong(args[0]) * 1024 * 1024 / 1024;
        for (long i = 0; i < lines; ++i) {
            String line = String.format("%08d ", i) + padding;
            (i % 2 == 0 ? System.out : descriptorOut).println(line);
            (i % 2 == 0 ? descriptorErr : System.err).println(line);
        }
    }
}
