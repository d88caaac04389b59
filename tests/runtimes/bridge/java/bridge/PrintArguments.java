package bridge;

import java.util.stream.Collectors;

/** Prints each argument as its Unicode code points in hex, so the bytes on the way do not matter. */
public final class PrintArguments {
    static String codePoints(String text) {
        return text.codePoints().mapToObj(Integer::toHexString).collect(Collectors.joining(" "));
    }

    public static void main(String[] args) {
        System.out.println("count " + args.length);
        for (int i = 0; i < args.length; ++i) {
            System.out.println(i + ": " + codePoints(args[i]));
        }
    }
}
