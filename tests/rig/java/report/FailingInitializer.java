package report;

/** A main class whose static initialiser throws. */
public final class FailingInitializer {
    static final int VALUE = Integer.parseInt("not a number");

    public static void main(String[] args) {
        System.out.println(VALUE);
    }
}
