package report;

/** A static main without parameters: run since Java 25, missing before. */
public final class NoArgumentMain {
    static void main() {
        System.out.println("static main without arguments");
    }
}
