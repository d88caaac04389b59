package bridge;

/** Prints environment variables ("env:NAME") and system properties ("prop:NAME") as code points. */
public final class PrintValues {
    public static void main(String[] args) {
        for (String request : args) {
            String name = request.substring(request.indexOf(':') + 1);
            String value = request.startsWith("env:") ? System.getenv(name) : System.getProperty(name);
            System.out.println(name + "=" + (value == null ? "null" : PrintArguments.codePoints(value)));
        }
    }
}
