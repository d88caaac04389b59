package report;

/** A main class whose superclass is left off the class path. */
public final class NeedsMissingBase extends MissingBase {
    public static void main(String[] args) {
    }
}
