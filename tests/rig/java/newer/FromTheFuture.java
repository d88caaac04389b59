package report;

/** Its class file is marked as made for a far newer Java than any runtime here. */
public final class FromTheFuture {
    public static void main(String[] args) {
    }
}
