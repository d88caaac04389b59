package bridge;

import java.util.ArrayList;
import java.util.List;

/** Allocates until the heap is full; with -XX:+CrashOnOutOfMemoryError the VM aborts. */
public final class ExhaustHeap {
    public static void main(String[] args) {
        List<long[]> hoard = new ArrayList<>();
        for (;;) {
            hoard.add(new long[1 << 16]);
        }
    }
}
