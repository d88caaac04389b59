package report;

import java.time.Instant;

/** Prints the moment main was entered, in microseconds since 1970, and nothing else. */
public final class StartStamp {
    public static void main(String[] args) {
        Instant now = Instant.now();
        System.out.println(now.getEpochSecond() * 1_000_000L + now.getNano() / 1_000);
    }
}
