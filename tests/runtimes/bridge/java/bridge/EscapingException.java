package bridge;

/** Lets an exception escape main. */
public final class EscapingException {
    public static void main(String[] args) {
        throw new IllegalStateException("escaped main");
    }
}
